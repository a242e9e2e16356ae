// The clipboard on Qt's: private formats by name, opening and closing, global memory blocks,
// and the data of each format.
//
// One window (or the process, for a null window) has the clipboard open at a time. While it
// is open, EmptyClipboard and SetClipboardData build up a new content; CloseClipboard hands
// it to the Qt clipboard in one setMimeData (or clears the Qt clipboard when it was only
// emptied). Reads (GetClipboardData, IsClipboardFormatAvailable) always look at the Qt
// clipboard's current data, so what was set while the clipboard is open is not visible to
// them until it is closed.
//
// Formats and MIME types: CF_TEXT is Unicode text (text/plain), CF_HTML is HTML (text/html),
// CF_BITMAP is an image (QMimeData's image data), and a private format is a MIME type equal
// to the format's name as first registered ("super text edit"), holding its bytes as they are.
//
// Everything read from the clipboard may come from another program, so sizes are capped
// before anything is converted: text, HTML and private data over kMaxDataBytes and images
// over kMaxImageSide pixels a side are taken as absent.

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QStringList>
#include <QVariant>

#include <QPainter>
#include <functional>

#include <cctype>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/gbk.h"
#include "platform/gdi_qt.h"
#include "platform/window_qt.h"

// A block of global memory: zero-filled bytes and a lock count.
struct GlobalBlock {
    std::vector<unsigned char> bytes;
    int nLocks = 0;
};

namespace {

constexpr UINT kFirstPrivateFormat = 0xC000;
constexpr UINT kLastPrivateFormat = 0xFFFF;

// Limits on what is taken from the clipboard or allocated for it.
constexpr qsizetype kMaxDataBytes = qsizetype{64} << 20;
constexpr int kMaxImageSide = 16384;
constexpr std::size_t kMaxGlobalBytes = std::size_t{1} << 30;

// Every live global block, so that a handle that is not one (or was freed) is refused
// instead of being written through.
struct GlobalBlocks {
    std::mutex mutex;
    std::unordered_set<GlobalBlock*> live;
};

GlobalBlocks& TheBlocks() {
    static auto* pBlocks = new GlobalBlocks;
    return *pBlocks;
}

bool IsLiveBlock(HGLOBAL hMem) {
    if (hMem == nullptr) return false;
    GlobalBlocks& blocks = TheBlocks();
    std::lock_guard lock(blocks.mutex);
    return blocks.live.count(hMem) != 0;
}

// What EmptyClipboard and SetClipboardData have set since the clipboard was opened.
struct PendingContent {
    bool bChanged = false;  // emptied or set: CloseClipboard replaces the Qt clipboard's data
    bool bEmptied = false;  // the formats already there are dropped
    std::optional<QString> text;
    std::optional<QString> html;
    std::optional<QImage> image;
    std::map<QString, QByteArray> privateData;  // by MIME type
    // Formats whose data are made when a program asks for them, by MIME type.
    std::map<QString, std::function<QByteArray()>> later;
};

// Data offered now and data made later: Qt asks retrieveData for a format only when a
// program (this one included) reads it, and each format is made once.
class DelayedMimeData : public QMimeData {
  public:
    explicit DelayedMimeData(std::map<QString, std::function<QByteArray()>> later)
        : m_later(std::move(later)) {}

    QStringList formats() const override {
        QStringList list = QMimeData::formats();
        for (const auto& [strType, render] : m_later)
            if (!list.contains(strType)) list.append(strType);
        return list;
    }
    bool hasFormat(const QString& strType) const override {
        return m_later.count(strType) != 0 || QMimeData::hasFormat(strType);
    }

  protected:
    QVariant retrieveData(const QString& strType, QMetaType type) const override {
        const auto it = m_later.find(strType);
        if (it == m_later.end()) return QMimeData::retrieveData(strType, type);
        auto cached = m_made.find(strType);
        if (cached == m_made.end()) cached = m_made.emplace(strType, it->second()).first;
        if (strType == QLatin1String("text/plain") || strType == QLatin1String("text/html"))
            return UnicodeOfGbkBytes(cached->second);
        return cached->second;
    }

  private:
    static QString UnicodeOfGbkBytes(const QByteArray& bytes);
    std::map<QString, std::function<QByteArray()>> m_later;
    mutable std::map<QString, QByteArray> m_made;
};

struct Clipboard {
    std::map<std::string, UINT> formats;  // by lower-case name
    std::vector<std::string> names;       // by id - kFirstPrivateFormat, as first registered
    bool bOpen = false;
    HWND hOpener = nullptr;
    PendingContent pending;
    // The Qt data this process put on the clipboard last, and their number.
    const QMimeData* pCommitted = nullptr;
    unsigned long nCommitted = 0;
    // What the clipboard owns until it is closed: the blocks given to SetClipboardData and
    // the data GetClipboardData handed out (one handle per format, as asked again).
    std::vector<HGLOBAL> given;
    std::map<UINT, HGLOBAL> readBlocks;
    std::unique_ptr<CBitmap> pReadBitmap;
};

Clipboard& TheClipboard() {
    static auto* pClipboard = new Clipboard;
    return *pClipboard;
}

QClipboard* QtClipboard() {
    if (QGuiApplication::instance() == nullptr) return nullptr;
    return QGuiApplication::clipboard();
}

const QMimeData* CurrentData() {
    QClipboard* pClipboard = QtClipboard();
    return pClipboard != nullptr ? pClipboard->mimeData() : nullptr;
}

QString PrivateMimeType(UINT nFormat) {
    const Clipboard& clipboard = TheClipboard();
    if (nFormat < kFirstPrivateFormat || nFormat - kFirstPrivateFormat >= clipboard.names.size())
        return {};
    return QString::fromStdString(clipboard.names[nFormat - kFirstPrivateFormat]);
}

// Frees everything the clipboard holds for the caller's reads and the blocks it was given.
void ReleaseOwned(Clipboard& clipboard) {
    for (HGLOBAL hMem : clipboard.given)
        GlobalFree(hMem);
    clipboard.given.clear();
    for (const auto& [nFormat, hMem] : clipboard.readBlocks)
        GlobalFree(hMem);
    clipboard.readBlocks.clear();
    clipboard.pReadBitmap.reset();
}

// The bytes of a block up to its first zero byte (all of them when there is none).
std::string_view TextOfBlock(HGLOBAL hMem) {
    const auto& bytes = hMem->bytes;
    const auto* pBegin = reinterpret_cast<const char*>(bytes.data());
    std::size_t n = 0;
    while (n < bytes.size() && bytes[n] != 0)
        ++n;
    return {pBegin, n};
}

QString UnicodeOfGbk(std::string_view gbk) {
    const std::string utf8 = tessel::platform::GbkToUtf8(gbk);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// Unicode text as GBK, what GBK cannot hold left out. The whole text is converted at once;
// only when something was replaced is it converted again character by character, so that
// the replaced characters can be dropped while a "?" of the text itself is kept.
std::string GbkOfUnicode(QString text) {
    // A zero character would end the text early: it is dropped like a character GBK lacks.
    text.remove(QChar(u'\0'));
    const QByteArray utf8 = text.toUtf8();
    bool bLossy = false;
    std::string gbk = tessel::platform::Utf8ToGbk(
        std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())), &bLossy);
    if (!bLossy) return gbk;
    return tessel::platform::GbkBytesOf(text);
}

// A new block holding bytes (plus a zero byte when bTerminate), owned by the clipboard as
// the data read of a format; null when the memory cannot be had.
HGLOBAL ReadBlock(UINT nFormat, const char* pBytes, std::size_t nBytes, bool bTerminate) {
    HGLOBAL hMem = GlobalAlloc(GHND, nBytes + (bTerminate ? 1 : 0));
    if (hMem == nullptr) return nullptr;
    if (nBytes != 0) std::memcpy(hMem->bytes.data(), pBytes, nBytes);
    TheClipboard().readBlocks[nFormat] = hMem;
    return hMem;
}

// A copy of the image as a new bitmap: 32-bit pixels, what is transparent shown on white.
std::unique_ptr<CBitmap> BitmapOfImage(const QImage& image) {
    auto pBitmap = std::make_unique<CBitmap>();
    if (!pBitmap->CreateBitmap(image.width(), image.height())) return nullptr;
    QImage& pixels = pBitmap->Data()->pSurface->Pixels();
    if (image.hasAlphaChannel()) {
        QPainter painter(&pixels);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.drawImage(0, 0, image);
    } else {
        pixels = image.convertToFormat(QImage::Format_RGB32);
        if (pixels.isNull()) return nullptr;
    }
    return pBitmap;
}

// The Qt data CloseClipboard offers: what was set, and unless the clipboard was emptied,
// the formats already there that were not set again.
QString DelayedMimeData::UnicodeOfGbkBytes(const QByteArray& bytes) {
    return UnicodeOfGbk(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

QMimeData* MakeMimeData(const PendingContent& pending, const QMimeData* pOld) {
    QMimeData* pData = pending.later.empty() ? new QMimeData : new DelayedMimeData(pending.later);
    if (!pending.bEmptied && pOld != nullptr) {
        for (const QString& strType : pOld->formats()) {
            if (strType == QLatin1String("text/plain") || strType == QLatin1String("text/html") ||
                strType == QLatin1String("application/x-qt-image"))
                continue;
            pData->setData(strType, pOld->data(strType));
        }
        if (pOld->hasText()) pData->setText(pOld->text());
        if (pOld->hasHtml()) pData->setHtml(pOld->html());
        if (pOld->hasImage()) pData->setImageData(pOld->imageData());
    }
    for (const auto& [strType, bytes] : pending.privateData)
        pData->setData(strType, bytes);
    if (pending.text) pData->setText(*pending.text);
    if (pending.html) pData->setHtml(*pending.html);
    if (pending.image) pData->setImageData(*pending.image);
    return pData;
}

}  // namespace

// Names are compared without regard to ASCII case, as Windows compares them.
UINT RegisterClipboardFormat(const char* szFormat) {
    if (szFormat == nullptr || *szFormat == '\0') return 0;
    std::string strKey(szFormat);
    for (char& ch : strKey)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    Clipboard& clipboard = TheClipboard();
    if (const auto it = clipboard.formats.find(strKey); it != clipboard.formats.end())
        return it->second;
    const UINT nId = kFirstPrivateFormat + static_cast<UINT>(clipboard.names.size());
    if (nId > kLastPrivateFormat) return 0;
    clipboard.formats.emplace(std::move(strKey), nId);
    clipboard.names.emplace_back(szFormat);
    return nId;
}

BOOL OpenClipboard(CWnd* pWnd) {
    Clipboard& clipboard = TheClipboard();
    if (clipboard.bOpen || QtClipboard() == nullptr) return FALSE;
    clipboard.bOpen = true;
    clipboard.hOpener = pWnd != nullptr ? pWnd->GetSafeHwnd() : nullptr;
    clipboard.pending = PendingContent();
    return TRUE;
}

BOOL CloseClipboard() {
    Clipboard& clipboard = TheClipboard();
    if (!clipboard.bOpen) return FALSE;
    clipboard.bOpen = false;
    clipboard.hOpener = nullptr;
    PendingContent pending = std::move(clipboard.pending);
    clipboard.pending = PendingContent();
    // Free what the caller read before committing: a bitmap read holds no reference into the
    // Qt data, but nothing read may outlive the close.
    ReleaseOwned(clipboard);
    if (!pending.bChanged) return TRUE;
    QClipboard* pClipboard = QtClipboard();
    if (pClipboard == nullptr) return TRUE;
    const bool bNothingSet = !pending.text && !pending.html && !pending.image &&
                             pending.privateData.empty() && pending.later.empty();
    if (bNothingSet && pending.bEmptied) {
        pClipboard->clear();
        clipboard.pCommitted = nullptr;
        return TRUE;
    }
    QMimeData* pData = MakeMimeData(pending, pClipboard->mimeData());
    // Any later change of the clipboard's content that is not this process's own (another
    // program took the clipboard) ends what this process put there, even should Qt's new
    // data happen to sit at the same address.
    static bool bWatching = false, bSetting = false;
    if (!bWatching) {
        bWatching = true;
        QObject::connect(pClipboard, &QClipboard::dataChanged, pClipboard, [] {
            if (!bSetting) TheClipboard().pCommitted = nullptr;
        });
    }
    bSetting = true;
    pClipboard->setMimeData(pData);
    bSetting = false;
    clipboard.pCommitted = pData;
    ++clipboard.nCommitted;
    return TRUE;
}

namespace tessel::platform {

BOOL SetClipboardDataLater(UINT nFormat, std::function<std::string()> render) {
    Clipboard& clipboard = TheClipboard();
    if (!clipboard.bOpen || !render) return FALSE;
    QString strType;
    if (nFormat == CF_TEXT)
        strType = QStringLiteral("text/plain");
    else if (nFormat == CF_HTML)
        strType = QStringLiteral("text/html");
    else
        strType = PrivateMimeType(nFormat);
    if (strType.isEmpty()) return FALSE;
    const bool bText = nFormat == CF_TEXT || nFormat == CF_HTML;
    clipboard.pending.later[strType] = [render = std::move(render), bText] {
        std::string bytes = render();
        // Text ends at its first zero byte, as set text does.
        if (bText) bytes.resize(std::string_view(bytes.c_str()).size());
        return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
    };
    clipboard.pending.bChanged = true;
    return TRUE;
}

unsigned long OwnClipboardContent() {
    const Clipboard& clipboard = TheClipboard();
    const QMimeData* pData = CurrentData();
    return pData != nullptr && pData == clipboard.pCommitted ? clipboard.nCommitted : 0;
}

}  // namespace tessel::platform

namespace tessel::platform {

std::string PrivateFormatMimeType(UINT nFormat) {
    return PrivateMimeType(nFormat).toStdString();
}

}  // namespace tessel::platform

BOOL IsClipboardFormatAvailable(UINT nFormat) {
    const QMimeData* pData = CurrentData();
    if (pData == nullptr) return FALSE;
    if (nFormat == CF_TEXT) return pData->hasText() ? TRUE : FALSE;
    if (nFormat == CF_HTML) return pData->hasHtml() ? TRUE : FALSE;
    if (nFormat == CF_BITMAP) return pData->hasImage() ? TRUE : FALSE;
    const QString strType = PrivateMimeType(nFormat);
    return !strType.isEmpty() && pData->hasFormat(strType) ? TRUE : FALSE;
}

BOOL EmptyClipboard() {
    Clipboard& clipboard = TheClipboard();
    if (!clipboard.bOpen) return FALSE;
    for (HGLOBAL hMem : clipboard.given)
        GlobalFree(hMem);
    clipboard.given.clear();
    clipboard.pending = PendingContent();
    clipboard.pending.bChanged = true;
    clipboard.pending.bEmptied = true;
    return TRUE;
}

HGLOBAL GlobalAlloc(UINT /*nFlags*/, std::size_t nBytes) {
    if (nBytes == 0 || nBytes > kMaxGlobalBytes) return nullptr;
    auto* pBlock = new (std::nothrow) GlobalBlock;
    if (pBlock == nullptr) return nullptr;
    try {
        pBlock->bytes.assign(nBytes, 0);
    } catch (const std::bad_alloc&) {
        delete pBlock;
        return nullptr;
    }
    GlobalBlocks& blocks = TheBlocks();
    std::lock_guard lock(blocks.mutex);
    blocks.live.insert(pBlock);
    return pBlock;
}

void* GlobalLock(HGLOBAL hMem) {
    if (!IsLiveBlock(hMem)) return nullptr;
    ++hMem->nLocks;
    return hMem->bytes.data();
}

// As on Windows: TRUE while the block stays locked, FALSE once it is unlocked (or for a
// handle that is no block).
BOOL GlobalUnlock(HGLOBAL hMem) {
    if (!IsLiveBlock(hMem)) return FALSE;
    if (hMem->nLocks > 0) --hMem->nLocks;
    return hMem->nLocks > 0 ? TRUE : FALSE;
}

std::size_t GlobalSize(HGLOBAL hMem) {
    if (!IsLiveBlock(hMem)) return 0;
    return hMem->bytes.size();
}

// Null once freed; a handle that is no live block is returned as it is (nothing is freed).
HGLOBAL GlobalFree(HGLOBAL hMem) {
    if (hMem == nullptr) return nullptr;
    {
        GlobalBlocks& blocks = TheBlocks();
        std::lock_guard lock(blocks.mutex);
        if (blocks.live.erase(hMem) == 0) return hMem;
    }
    delete hMem;
    return nullptr;
}

HANDLE SetClipboardData(UINT nFormat, HANDLE hData) {
    Clipboard& clipboard = TheClipboard();
    if (!clipboard.bOpen || hData == nullptr) return nullptr;
    PendingContent& pending = clipboard.pending;
    if (nFormat == CF_BITMAP) {
        const auto* pBitmap = static_cast<const CBitmap*>(hData);
        if (!pBitmap->IsValid()) return nullptr;
        QImage image = pBitmap->Data()->pSurface->Pixels().copy();
        if (image.isNull()) return nullptr;
        pending.image = std::move(image);
        pending.bChanged = true;
        return hData;
    }
    auto* hMem = static_cast<HGLOBAL>(hData);
    QString strPrivate;
    if (nFormat != CF_TEXT && nFormat != CF_HTML) {
        strPrivate = PrivateMimeType(nFormat);
        if (strPrivate.isEmpty()) return nullptr;
    }
    if (!IsLiveBlock(hMem)) return nullptr;
    if (nFormat == CF_TEXT) {
        pending.text = UnicodeOfGbk(TextOfBlock(hMem));
    } else if (nFormat == CF_HTML) {
        pending.html = UnicodeOfGbk(TextOfBlock(hMem));
    } else {
        pending.privateData[strPrivate] =
            QByteArray(reinterpret_cast<const char*>(hMem->bytes.data()),
                       static_cast<qsizetype>(hMem->bytes.size()));
    }
    pending.bChanged = true;
    clipboard.given.push_back(hMem);
    return hData;
}

HANDLE GetClipboardData(UINT nFormat) {
    Clipboard& clipboard = TheClipboard();
    if (!clipboard.bOpen) return nullptr;
    const QMimeData* pData = CurrentData();
    if (pData == nullptr) return nullptr;
    // Asked again while the clipboard is open, a format gives the same handle.
    if (nFormat == CF_BITMAP && clipboard.pReadBitmap) return clipboard.pReadBitmap.get();
    if (const auto it = clipboard.readBlocks.find(nFormat); it != clipboard.readBlocks.end())
        return it->second;
    if (nFormat == CF_TEXT || nFormat == CF_HTML) {
        const bool bText = nFormat == CF_TEXT;
        if (bText ? !pData->hasText() : !pData->hasHtml()) return nullptr;
        const QString text = bText ? pData->text() : pData->html();
        if (text.size() > kMaxDataBytes / 2) return nullptr;
        const std::string gbk = GbkOfUnicode(text);
        return ReadBlock(nFormat, gbk.data(), gbk.size(), true);
    }
    if (nFormat == CF_BITMAP) {
        if (!pData->hasImage()) return nullptr;
        const QImage image = qvariant_cast<QImage>(pData->imageData());
        if (image.isNull() || image.width() > kMaxImageSide || image.height() > kMaxImageSide)
            return nullptr;
        std::unique_ptr<CBitmap> pBitmap = BitmapOfImage(image);
        if (!pBitmap) return nullptr;
        clipboard.pReadBitmap = std::move(pBitmap);
        return clipboard.pReadBitmap.get();
    }
    const QString strType = PrivateMimeType(nFormat);
    if (strType.isEmpty() || !pData->hasFormat(strType)) return nullptr;
    const QByteArray bytes = pData->data(strType);
    if (bytes.isEmpty() || bytes.size() > kMaxDataBytes) return nullptr;
    return ReadBlock(nFormat, bytes.constData(), static_cast<std::size_t>(bytes.size()), false);
}
