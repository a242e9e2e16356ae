// Dialogs built from their description with Qt's widgets, data exchange, and message boxes.
//
// The dialog's controls are Qt widgets made from the table; the dialog class sees them only
// through ids. The focus is followed in one place (FocusChangedTo) for a user and for an
// answerer alike, so that an edit field's EN_KILLFOCUS comes exactly when the focus leaves it.

#include "platform/dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <utility>

#include "platform/application.h"
#include "platform/gbk.h"
#include "platform/gdi_qt.h"
#include "platform/window_qt.h"

namespace {

tessel::platform::DialogAnswerer& TheDialogAnswerer() {
    static auto* pAnswerer = new tessel::platform::DialogAnswerer;
    return *pAnswerer;
}

tessel::platform::MessageBoxAnswerer& TheMessageBoxAnswerer() {
    static auto* pAnswerer = new tessel::platform::MessageBoxAnswerer;
    return *pAnswerer;
}

QString FromGbk(std::string_view gbk) {
    return tessel::platform::GbkToQString(gbk.data(), static_cast<int>(gbk.size()));
}

std::string ToGbk(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return tessel::platform::Utf8ToGbk(
        std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

// The caption of a message box that names none: the program's name.
std::string ApplicationCaption() {
    if (QCoreApplication::instance() && !QCoreApplication::applicationName().isEmpty())
        return ToGbk(QCoreApplication::applicationName());
    return "Tessel";
}

bool CanShowWindows() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr &&
           tessel::platform::HasRealScreen();
}

// Whether a message box of nType has the button.
bool HasButton(UINT nType, int nButton) {
    switch (nType & MB_TYPEMASK) {
        case MB_OKCANCEL:
            return nButton == IDOK || nButton == IDCANCEL;
        case MB_YESNO:
            return nButton == IDYES || nButton == IDNO;
        case MB_YESNOCANCEL:
            return nButton == IDYES || nButton == IDNO || nButton == IDCANCEL;
        default:
            return nButton == IDOK;
    }
}

int ShowMessageBox(QWidget* pParent, const std::string& strText, const std::string& strCaption,
                   UINT nType) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (nType & MB_ICONMASK) {
        case MB_ICONERROR:
            icon = QMessageBox::Critical;
            break;
        case MB_ICONQUESTION:
            icon = QMessageBox::Question;
            break;
        case MB_ICONWARNING:
            icon = QMessageBox::Warning;
            break;
        case MB_ICONINFORMATION:
            icon = QMessageBox::Information;
            break;
        default:
            break;
    }
    QMessageBox box(icon, FromGbk(strCaption), FromGbk(strText), QMessageBox::NoButton, pParent);
    std::vector<std::pair<QPushButton*, int>> buttons;
    auto add = [&](QMessageBox::StandardButton button, int nResult) {
        buttons.emplace_back(box.addButton(button), nResult);
    };
    switch (nType & MB_TYPEMASK) {
        case MB_OKCANCEL:
            add(QMessageBox::Ok, IDOK);
            add(QMessageBox::Cancel, IDCANCEL);
            break;
        case MB_YESNO:
            add(QMessageBox::Yes, IDYES);
            add(QMessageBox::No, IDNO);
            break;
        case MB_YESNOCANCEL:
            add(QMessageBox::Yes, IDYES);
            add(QMessageBox::No, IDNO);
            add(QMessageBox::Cancel, IDCANCEL);
            break;
        default:
            add(QMessageBox::Ok, IDOK);
            break;
    }
    const std::size_t nDefault = (nType & MB_DEFBUTTON2) && buttons.size() > 1 ? 1 : 0;
    box.setDefaultButton(buttons[nDefault].first);
    box.exec();
    for (const auto& [pButton, nResult] : buttons)
        if (box.clickedButton() == pButton) return nResult;
    return tessel::platform::SafeMessageBoxAnswer(nType);
}

// An integer as the framework reads one: blanks, an optional sign, digits, blanks.
std::optional<int> ParseInteger(const std::string& strText) {
    const char* p = strText.c_str();
    while (*p == ' ' || *p == '\t')
        ++p;
    const char* pStart = p;
    if (*p == '+' || *p == '-') ++p;
    if (*p < '0' || *p > '9') return std::nullopt;
    errno = 0;
    char* pEnd = nullptr;
    const long n = std::strtol(pStart, &pEnd, 10);
    if (errno == ERANGE || n < INT_MIN || n > INT_MAX) return std::nullopt;
    while (*pEnd == ' ' || *pEnd == '\t')
        ++pEnd;
    if (*pEnd != '\0') return std::nullopt;
    return static_cast<int>(n);
}

// An unsigned 32-bit number as the framework reads one: blanks, an optional "+", digits,
// blanks.
std::optional<DWORD> ParseUnsigned(const std::string& strText) {
    std::size_t i = 0;
    while (i < strText.size() && (strText[i] == ' ' || strText[i] == '\t'))
        ++i;
    if (i < strText.size() && strText[i] == '+') ++i;
    if (i >= strText.size() || strText[i] < '0' || strText[i] > '9') return std::nullopt;
    unsigned long long n = 0;
    for (; i < strText.size() && strText[i] >= '0' && strText[i] <= '9'; ++i) {
        n = n * 10 + static_cast<unsigned>(strText[i] - '0');
        if (n > 0xFFFFFFFFull) return std::nullopt;
    }
    while (i < strText.size() && (strText[i] == ' ' || strText[i] == '\t'))
        ++i;
    if (i != strText.size()) return std::nullopt;
    return static_cast<DWORD>(n);
}

}  // namespace

int MessageBox(CWnd* pOwner, std::string_view strText, const char* szCaption, UINT nType) {
    tessel::platform::MessageBoxRequest request{
        std::string(strText), szCaption ? szCaption : ApplicationCaption(), nType};
    if (const auto& answerer = TheMessageBoxAnswerer()) {
        const std::optional<int> answer = answerer(request);
        return answer && HasButton(nType, *answer) ? *answer
                                                   : tessel::platform::SafeMessageBoxAnswer(nType);
    }
    if (!CanShowWindows()) return tessel::platform::SafeMessageBoxAnswer(nType);
    return ShowMessageBox(tessel::platform::WidgetOf(pOwner), request.strText, request.strCaption,
                          nType);
}

int AfxMessageBox(std::string_view strText, UINT nType) {
    return MessageBox(nullptr, strText, nullptr, nType);
}

// --- The dialog's widgets ------------------------------------------------------------------------

struct CDialog::Widgets {
    struct Item {
        DlgItemKind kind = DlgItemKind::kLabel;
        DWORD dwFlags = 0;
        QWidget* pWidget = nullptr;
        CWnd* pHost = nullptr;  // kHost: the window the dialog's own control goes into
    };
    std::unique_ptr<QDialog> pDialog;
    std::map<int, Item> items;
    bool bRunning = false;  // shown and in its modal loop

    const Item* Find(int nID) const {
        auto it = items.find(nID);
        return it == items.end() ? nullptr : &it->second;
    }
    template <class W>
    W* As(int nID) const {
        const Item* pItem = Find(nID);
        return pItem ? qobject_cast<W*>(pItem->pWidget) : nullptr;
    }
};

// Qt's side of a dialog: its closing and the focus of its controls reach the CDialog.
struct DialogEvents : public QObject {
    DialogEvents(CDialog& dialog, std::map<QObject*, int> ids)
        : m_dialog(dialog), m_ids(std::move(ids)) {}
    bool eventFilter(QObject* pObject, QEvent* pEvent) override {
        if (pEvent->type() == QEvent::FocusIn) {
            auto it = m_ids.find(pObject);
            if (it != m_ids.end()) m_dialog.FocusChangedTo(it->second);
        }
        return false;
    }

    CDialog& m_dialog;
    std::map<QObject*, int> m_ids;
};

namespace {

// Escape and the window's close button are the Cancel button.
class DialogWindow : public QDialog {
  public:
    DialogWindow(QWidget* pParent, std::function<void()> onCancel)
        : QDialog(pParent), m_onCancel(std::move(onCancel)) {}
    void reject() override { m_onCancel(); }

  private:
    std::function<void()> m_onCancel;
};

}  // namespace

CDialog::CDialog(const DlgTemplate& tmpl, CWnd* pParentWnd)
    : m_pTemplate(&tmpl), m_pParent(pParentWnd), m_strTitle(tmpl.szTitle ? tmpl.szTitle : "") {}

CDialog::~CDialog() = default;

void CDialog::Build() {
    m_pWidgets = std::make_unique<Widgets>();
    auto pDialog = std::make_unique<DialogWindow>(tessel::platform::WidgetOf(m_pParent),
                                                  [this]() { OnCancel(); });
    pDialog->setWindowTitle(FromGbk(m_strTitle));
    pDialog->setModal(true);

    auto* pOuter = new QVBoxLayout(pDialog.get());
    pOuter->setSizeConstraint(QLayout::SetFixedSize);
    QWidget* pGridParent = pDialog.get();
    if (m_pTemplate->szGroup) {
        auto* pGroup = new QGroupBox(FromGbk(m_pTemplate->szGroup), pDialog.get());
        pOuter->addWidget(pGroup);
        pGridParent = pGroup;
    }
    auto* pGrid = new QGridLayout;
    if (m_pTemplate->szGroup)
        pGridParent->setLayout(pGrid);
    else
        pOuter->addLayout(pGrid);

    std::map<QObject*, int> ids;
    std::vector<std::pair<QLabel*, std::size_t>> labels;  // for their buddies
    std::vector<QWidget*> made;
    for (std::size_t i = 0; i < m_pTemplate->items.size(); ++i) {
        const DlgItem& item = m_pTemplate->items[i];
        const QString text = FromGbk(item.szText ? item.szText : "");
        QWidget* pWidget = nullptr;
        CWnd* pHost = nullptr;
        switch (item.kind) {
            case DlgItemKind::kLabel: {
                auto* pLabel = new QLabel(text, pGridParent);
                labels.emplace_back(pLabel, i);
                pWidget = pLabel;
                break;
            }
            case DlgItemKind::kEdit: {
                auto* pEdit = new QLineEdit(text, pGridParent);
                const int nID = item.nID;
                QObject::connect(pEdit, &QLineEdit::textChanged,
                                 [this, nID]() { Dispatch(nID, EN_CHANGE); });
                pWidget = pEdit;
                break;
            }
            case DlgItemKind::kCheck: {
                auto* pCheck = new QCheckBox(text, pGridParent);
                const int nID = item.nID;
                QObject::connect(pCheck, &QCheckBox::clicked,
                                 [this, nID]() { Dispatch(nID, BN_CLICKED); });
                pWidget = pCheck;
                break;
            }
            case DlgItemKind::kDropList: {
                auto* pList = new QComboBox(pGridParent);
                pList->setEditable(false);
                pList->setSizeAdjustPolicy(QComboBox::AdjustToContents);
                const int nID = item.nID;
                QObject::connect(pList, &QComboBox::activated,
                                 [this, nID]() { Dispatch(nID, CBN_SELCHANGE); });
                pWidget = pList;
                break;
            }
            case DlgItemKind::kComboBox: {
                auto* pCombo = new QComboBox(pGridParent);
                pCombo->setEditable(true);
                // What is typed stays the field's text: it neither joins the entries nor is
                // completed from them.
                pCombo->setInsertPolicy(QComboBox::NoInsert);
                pCombo->setCompleter(nullptr);
                // Long entries (web addresses) do not widen the dialog.
                pCombo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
                pCombo->setMinimumContentsLength(16);
                const int nID = item.nID;
                QObject::connect(pCombo, &QComboBox::activated,
                                 [this, nID]() { Dispatch(nID, CBN_SELCHANGE); });
                pWidget = pCombo;
                break;
            }
            case DlgItemKind::kButton: {
                auto* pButton = new QPushButton(text, pGridParent);
                pButton->setAutoDefault(false);
                const int nID = item.nID;
                QObject::connect(pButton, &QPushButton::clicked,
                                 [this, nID]() { Dispatch(nID, BN_CLICKED); });
                pWidget = pButton;
                break;
            }
            case DlgItemKind::kIcon: {
                auto* pIcon = new QLabel(pGridParent);
                const int nSize = pIcon->style()->pixelMetric(QStyle::PM_MessageBoxIconSize);
                pIcon->setPixmap(pIcon->style()
                                     ->standardIcon(QStyle::SP_MessageBoxInformation)
                                     .pixmap(nSize, nSize));
                pWidget = pIcon;
                break;
            }
            case DlgItemKind::kHost: {
                pWidget = new QWidget(pGridParent);
                pWidget->setFixedSize(std::max(1, item.size.cx), std::max(1, item.size.cy));
                pHost = tessel::platform::AttachWidget(pWidget);
                break;
            }
        }
        if (item.kind != DlgItemKind::kHost && (item.size.cx > 0 || item.size.cy > 0))
            pWidget->setMinimumSize(std::max(item.size.cx, 0), std::max(item.size.cy, 0));
        pGrid->addWidget(pWidget, item.place.nRow, item.place.nColumn, 1,
                         std::max(1, item.place.nColumnSpan));
        if (item.dwFlags & DIF_HIDDEN) pWidget->hide();
        if (item.dwFlags & DIF_DISABLED) pWidget->setEnabled(false);
        made.push_back(pWidget);
        if (item.nID != IDC_STATIC) {
            m_pWidgets->items[item.nID] = Widgets::Item{item.kind, item.dwFlags, pWidget, pHost};
            if (item.kind != DlgItemKind::kLabel && item.kind != DlgItemKind::kIcon)
                ids[pWidget] = item.nID;
        }
    }
    // A label's key goes to the control after it in the table.
    for (const auto& [pLabel, nIndex] : labels) {
        for (std::size_t j = nIndex + 1; j < m_pTemplate->items.size(); ++j) {
            const DlgItemKind kind = m_pTemplate->items[j].kind;
            if (kind == DlgItemKind::kLabel || kind == DlgItemKind::kIcon) continue;
            pLabel->setBuddy(made[j]);
            break;
        }
    }

    auto* pButtons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, pDialog.get());
    pOuter->addWidget(pButtons);
    QPushButton* pOk = pButtons->button(QDialogButtonBox::Ok);
    QPushButton* pCancel = pButtons->button(QDialogButtonBox::Cancel);
    pOk->setDefault(true);
    QObject::connect(pOk, &QPushButton::clicked, [this]() { OnOK(); });
    QObject::connect(pCancel, &QPushButton::clicked, [this]() { OnCancel(); });
    m_pWidgets->items[IDOK] = Widgets::Item{DlgItemKind::kButton, 0, pOk, nullptr};
    m_pWidgets->items[IDCANCEL] = Widgets::Item{DlgItemKind::kButton, 0, pCancel, nullptr};
    ids[pOk] = IDOK;
    ids[pCancel] = IDCANCEL;

    auto* pEvents = new DialogEvents(*this, ids);
    pEvents->setParent(pDialog.get());
    for (const auto& entry : ids)
        entry.first->installEventFilter(pEvents);
    m_pWidgets->pDialog = std::move(pDialog);
}

int CDialog::DoModal() {
    static unsigned nSerials = 0;
    m_nSerial = ++nSerials;
    m_bEnded = false;
    m_nResult = IDCANCEL;
    m_nFocus = 0;
    tessel::platform::EnsureApplication();
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return IDCANCEL;
    m_pWidgets.reset();
    Build();
    OnInitDialog();
    if (const auto& answerer = TheDialogAnswerer()) {
        // A dialog that refuses its OK stays open and is answered again; a bound keeps an
        // answerer that never ends it from holding the program.
        for (int nRound = 0; !m_bEnded && nRound < 256; ++nRound)
            if (!answerer(*this)) break;
    } else if (CanShowWindows()) {
        m_pWidgets->bRunning = true;
        if (!m_bEnded) m_pWidgets->pDialog->exec();
        m_pWidgets->bRunning = false;
    }
    if (!m_bEnded) m_nResult = IDCANCEL;
    if (m_pWidgets->pDialog->isVisible()) m_pWidgets->pDialog->hide();
    return m_nResult;
}

void CDialog::EndDialog(int nResult) {
    m_nResult = nResult;
    m_bEnded = true;
    if (m_pWidgets && m_pWidgets->bRunning) m_pWidgets->pDialog->done(nResult);
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    if (!m_pWidgets) return FALSE;
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return dx.Failed() ? FALSE : TRUE;
}

void CDialog::SetWindowText(std::string_view strTitle) {
    m_strTitle = std::string(strTitle);
    if (m_pWidgets) m_pWidgets->pDialog->setWindowTitle(FromGbk(m_strTitle));
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::OnCommand(int, UINT) {}

bool CDialog::SetHostValue(int, std::string_view) {
    return false;
}

void CDialog::Dispatch(int nID, UINT nCode) {
    if (nID == IDOK && nCode == BN_CLICKED) return OnOK();
    if (nID == IDCANCEL && nCode == BN_CLICKED) return OnCancel();
    OnCommand(nID, nCode);
}

// The one place the focus is followed: the edit field that loses it is told, once. A check
// that fails inside that notice moves the focus again without another notice, as a message
// box in the middle of a focus change does on the desktop.
void CDialog::FocusChangedTo(int nID) {
    if (nID == m_nFocus) return;
    const int nOld = m_nFocus;
    m_nFocus = nID;
    if (m_bInKillFocus || nOld == 0 || ItemKind(nOld) != DlgItemKind::kEdit) return;
    m_bInKillFocus = true;
    Dispatch(nOld, EN_KILLFOCUS);
    m_bInKillFocus = false;
}

bool CDialog::HasItem(int nID) const {
    return m_pWidgets && m_pWidgets->Find(nID);
}

DlgItemKind CDialog::ItemKind(int nID) const {
    const Widgets::Item* pItem = m_pWidgets ? m_pWidgets->Find(nID) : nullptr;
    return pItem ? pItem->kind : DlgItemKind::kLabel;
}

std::string CDialog::GetDlgItemText(int nID) const {
    if (!m_pWidgets) return {};
    if (auto* pEdit = m_pWidgets->As<QLineEdit>(nID)) return ToGbk(pEdit->text());
    if (auto* pList = m_pWidgets->As<QComboBox>(nID)) {
        // A combo box's text is what was typed, or an entry's bytes as the entry holds them.
        if (pList->isEditable() && (pList->currentIndex() < 0 ||
                                    pList->currentText() != pList->itemText(pList->currentIndex())))
            return ToGbk(pList->currentText());
        return pList->currentIndex() < 0 ? std::string() : GetLBText(nID, pList->currentIndex());
    }
    if (auto* pCheck = m_pWidgets->As<QCheckBox>(nID)) return ToGbk(pCheck->text());
    if (auto* pButton = m_pWidgets->As<QPushButton>(nID)) return ToGbk(pButton->text());
    if (auto* pLabel = m_pWidgets->As<QLabel>(nID)) return ToGbk(pLabel->text());
    return {};
}

void CDialog::SetDlgItemText(int nID, std::string_view strText) {
    if (!m_pWidgets) return;
    const QString text = FromGbk(strText);
    if (auto* pEdit = m_pWidgets->As<QLineEdit>(nID))
        pEdit->setText(text);
    else if (auto* pCombo = m_pWidgets->As<QComboBox>(nID)) {
        if (pCombo->isEditable()) pCombo->setEditText(text);
    } else if (auto* pCheck = m_pWidgets->As<QCheckBox>(nID))
        pCheck->setText(text);
    else if (auto* pButton = m_pWidgets->As<QPushButton>(nID))
        pButton->setText(text);
    else if (auto* pLabel = m_pWidgets->As<QLabel>(nID))
        pLabel->setText(text);
}

void CDialog::SetDlgItemInt(int nID, int nValue) {
    SetDlgItemText(nID, std::to_string(nValue));
}

int CDialog::IsDlgButtonChecked(int nID) const {
    auto* pCheck = m_pWidgets ? m_pWidgets->As<QCheckBox>(nID) : nullptr;
    return pCheck && pCheck->isChecked() ? 1 : 0;
}

void CDialog::CheckDlgButton(int nID, int nCheck) {
    if (auto* pCheck = m_pWidgets ? m_pWidgets->As<QCheckBox>(nID) : nullptr)
        pCheck->setChecked(nCheck != 0);
}

void CDialog::ShowItem(int nID, bool bShow) {
    const Widgets::Item* pItem = m_pWidgets ? m_pWidgets->Find(nID) : nullptr;
    if (pItem) pItem->pWidget->setVisible(bShow);
}

bool CDialog::IsItemVisible(int nID) const {
    const Widgets::Item* pItem = m_pWidgets ? m_pWidgets->Find(nID) : nullptr;
    // Not isVisible(): the dialog itself may never be shown (an answered one).
    return pItem && !pItem->pWidget->isHidden();
}

void CDialog::EnableItem(int nID, bool bEnable) {
    const Widgets::Item* pItem = m_pWidgets ? m_pWidgets->Find(nID) : nullptr;
    if (pItem) pItem->pWidget->setEnabled(bEnable);
}

bool CDialog::IsItemEnabled(int nID) const {
    const Widgets::Item* pItem = m_pWidgets ? m_pWidgets->Find(nID) : nullptr;
    return pItem && pItem->pWidget->isEnabled();
}

void CDialog::GotoDlgCtrl(int nID) {
    const Widgets::Item* pItem = m_pWidgets ? m_pWidgets->Find(nID) : nullptr;
    if (!pItem) return;
    FocusChangedTo(nID);
    if (m_pWidgets->bRunning) {
        pItem->pWidget->setFocus(Qt::OtherFocusReason);
        if (auto* pEdit = qobject_cast<QLineEdit*>(pItem->pWidget)) pEdit->selectAll();
    }
}

CWnd* CDialog::HostOf(int nID) const {
    const Widgets::Item* pItem = m_pWidgets ? m_pWidgets->Find(nID) : nullptr;
    return pItem ? pItem->pHost : nullptr;
}

int CDialog::AddString(int nID, std::string_view strText) {
    auto* pList = m_pWidgets ? m_pWidgets->As<QComboBox>(nID) : nullptr;
    if (!pList) return -1;
    const std::string entry(strText);
    int nAt = pList->count();
    if (m_pWidgets->Find(nID)->dwFlags & DIF_SORT) {
        const std::string key = tessel::platform::FoldCase(entry);
        nAt = 0;
        while (nAt < pList->count() && tessel::platform::FoldCase(GetLBText(nID, nAt)) <= key)
            ++nAt;
    }
    pList->insertItem(nAt, FromGbk(entry),
                      QByteArray(entry.data(), static_cast<qsizetype>(entry.size())));
    return nAt;
}

void CDialog::ResetContent(int nID) {
    if (auto* pList = m_pWidgets ? m_pWidgets->As<QComboBox>(nID) : nullptr) pList->clear();
}

int CDialog::GetCount(int nID) const {
    auto* pList = m_pWidgets ? m_pWidgets->As<QComboBox>(nID) : nullptr;
    return pList ? pList->count() : 0;
}

int CDialog::GetCurSel(int nID) const {
    auto* pList = m_pWidgets ? m_pWidgets->As<QComboBox>(nID) : nullptr;
    return pList ? pList->currentIndex() : -1;
}

void CDialog::SetCurSel(int nID, int nIndex) {
    auto* pList = m_pWidgets ? m_pWidgets->As<QComboBox>(nID) : nullptr;
    if (pList && nIndex >= -1 && nIndex < pList->count()) pList->setCurrentIndex(nIndex);
}

std::string CDialog::GetLBText(int nID, int nIndex) const {
    auto* pList = m_pWidgets ? m_pWidgets->As<QComboBox>(nID) : nullptr;
    if (!pList || nIndex < 0 || nIndex >= pList->count()) return {};
    const QByteArray bytes = pList->itemData(nIndex).toByteArray();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

int CDialog::FindStringExact(int nID, std::string_view strText) const {
    for (int i = 0; i < GetCount(nID); ++i)
        if (tessel::platform::EqualsIgnoringCase(GetLBText(nID, i), strText)) return i;
    return -1;
}

void CDialog::ScrollToTop(int nID) {
    // A closed list shows its chosen entry; its drop-down opens at the top when none is
    // chosen, so there is nothing to move while it is closed.
    (void)nID;
}

int CDialog::MessageBox(std::string_view strText, const char* szCaption, UINT nType) {
    if (m_pWidgets && m_pWidgets->bRunning) {
        tessel::platform::MessageBoxRequest request{
            std::string(strText), szCaption ? szCaption : ApplicationCaption(), nType};
        if (!TheMessageBoxAnswerer())
            return ShowMessageBox(m_pWidgets->pDialog.get(), request.strText, request.strCaption,
                                  nType);
    }
    return ::MessageBox(m_pParent, strText, szCaption, nType);
}

bool CDialog::AnswerValue(int nID, std::string_view strValue) {
    const Widgets::Item* pItem = m_pWidgets ? m_pWidgets->Find(nID) : nullptr;
    if (!pItem || m_bEnded || !pItem->pWidget->isEnabled()) return false;
    bool bTaken = false;
    GotoDlgCtrl(nID);
    switch (pItem->kind) {
        case DlgItemKind::kEdit:
            SetDlgItemText(nID, strValue);
            bTaken = true;
            break;
        case DlgItemKind::kCheck:
            if (strValue == "0" || strValue == "1") {
                // A user clicks only a box that is not already as wanted.
                if (IsDlgButtonChecked(nID) != (strValue == "1" ? 1 : 0)) {
                    CheckDlgButton(nID, strValue == "1");
                    Dispatch(nID, BN_CLICKED);
                }
                bTaken = true;
            }
            break;
        case DlgItemKind::kDropList: {
            int nIndex = -1;
            for (int i = 0; i < GetCount(nID) && nIndex < 0; ++i)
                if (GetLBText(nID, i) == strValue) nIndex = i;
            if (nIndex < 0) nIndex = FindStringExact(nID, strValue);
            if (nIndex >= 0) {
                SetCurSel(nID, nIndex);
                Dispatch(nID, CBN_SELCHANGE);
                bTaken = true;
            }
            break;
        }
        case DlgItemKind::kComboBox: {
            // An entry spelled as the value is picked from the list; any other value is typed.
            int nIndex = -1;
            for (int i = 0; i < GetCount(nID) && nIndex < 0; ++i)
                if (GetLBText(nID, i) == strValue) nIndex = i;
            if (nIndex >= 0) {
                SetCurSel(nID, nIndex);
                Dispatch(nID, CBN_SELCHANGE);
            } else {
                SetCurSel(nID, -1);
                SetDlgItemText(nID, strValue);
            }
            bTaken = true;
            break;
        }
        case DlgItemKind::kHost:
            bTaken = SetHostValue(nID, strValue);
            break;
        default:
            break;
    }
    if (!m_bEnded) FocusChangedTo(0);
    return bTaken;
}

bool CDialog::SavePicture(const std::string& strPngPath) const {
    if (!m_pWidgets) return false;
    QDialog& dialog = *m_pWidgets->pDialog;
    dialog.ensurePolished();
    dialog.adjustSize();
    return dialog.grab().save(QString::fromUtf8(strPngPath.c_str()), "PNG");
}

bool CDialog::AnswerPress(int nID) {
    const Widgets::Item* pItem = m_pWidgets ? m_pWidgets->Find(nID) : nullptr;
    if (!pItem || m_bEnded || pItem->kind != DlgItemKind::kButton || !pItem->pWidget->isEnabled())
        return false;
    GotoDlgCtrl(nID);
    if (!m_bEnded) Dispatch(nID, BN_CLICKED);
    return true;
}

// --- Data exchange -------------------------------------------------------------------------------

void CDataExchange::Fail() {
    m_bFailed = true;
    if (m_pDlgWnd && m_idLastControl != 0) m_pDlgWnd->GotoDlgCtrl(m_idLastControl);
}

void DDX_Text(CDataExchange* pDX, int nID, std::string& value) {
    if (pDX->Failed()) return;
    pDX->PrepareCtrl(nID);
    if (pDX->m_bSaveAndValidate)
        value = pDX->m_pDlgWnd->GetDlgItemText(nID);
    else
        pDX->m_pDlgWnd->SetDlgItemText(nID, value);
}

void DDX_Text(CDataExchange* pDX, int nID, int& value) {
    if (pDX->Failed()) return;
    pDX->PrepareCtrl(nID);
    if (!pDX->m_bSaveAndValidate) {
        pDX->m_pDlgWnd->SetDlgItemInt(nID, value);
        return;
    }
    const std::optional<int> parsed = ParseInteger(pDX->m_pDlgWnd->GetDlgItemText(nID));
    if (!parsed) {
        pDX->m_pDlgWnd->MessageBox(kIntegerMessage, nullptr, MB_OK | MB_ICONWARNING);
        pDX->Fail();
        return;
    }
    value = *parsed;
}

void DDX_Text(CDataExchange* pDX, int nID, DWORD& value) {
    if (pDX->Failed()) return;
    pDX->PrepareCtrl(nID);
    if (!pDX->m_bSaveAndValidate) {
        pDX->m_pDlgWnd->SetDlgItemText(nID, std::to_string(value));
        return;
    }
    const std::optional<DWORD> parsed = ParseUnsigned(pDX->m_pDlgWnd->GetDlgItemText(nID));
    if (!parsed) {
        pDX->m_pDlgWnd->MessageBox(kUnsignedMessage, nullptr, MB_OK | MB_ICONWARNING);
        pDX->Fail();
        return;
    }
    value = *parsed;
}

void DDX_Check(CDataExchange* pDX, int nID, int& value) {
    if (pDX->Failed()) return;
    pDX->PrepareCtrl(nID);
    if (pDX->m_bSaveAndValidate)
        value = pDX->m_pDlgWnd->IsDlgButtonChecked(nID);
    else
        pDX->m_pDlgWnd->CheckDlgButton(nID, value);
}

void DDX_CBIndex(CDataExchange* pDX, int nID, int& value) {
    if (pDX->Failed()) return;
    pDX->PrepareCtrl(nID);
    if (pDX->m_bSaveAndValidate)
        value = pDX->m_pDlgWnd->GetCurSel(nID);
    else
        pDX->m_pDlgWnd->SetCurSel(nID, value);
}

void DDX_CBString(CDataExchange* pDX, int nID, std::string& value) {
    if (pDX->Failed()) return;
    pDX->PrepareCtrl(nID);
    CDialog& dlg = *pDX->m_pDlgWnd;
    if (pDX->m_bSaveAndValidate) {
        value = dlg.GetDlgItemText(nID);
        return;
    }
    const bool bEditable = dlg.ItemKind(nID) == DlgItemKind::kComboBox;
    int nIndex = -1;
    // An empty text is a combo box's own text, not the start of every entry.
    if (!bEditable || !value.empty()) {
        nIndex = dlg.FindStringExact(nID, value);
        const std::string key = tessel::platform::FoldCase(value);
        for (int i = 0; i < dlg.GetCount(nID) && nIndex < 0; ++i)
            if (tessel::platform::FoldCase(dlg.GetLBText(nID, i)).starts_with(key)) nIndex = i;
    }
    if (nIndex >= 0) {
        dlg.SetCurSel(nID, nIndex);
    } else if (bEditable) {
        // Nothing to choose: the value is the field's text, as if typed.
        dlg.SetCurSel(nID, -1);
        dlg.SetDlgItemText(nID, value);
    }
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int nMin, int nMax) {
    if (pDX->Failed() || !pDX->m_bSaveAndValidate) return;
    if (value >= nMin && value <= nMax) return;
    char szMessage[128];
    std::snprintf(szMessage, sizeof szMessage, kIntegerRangeMessage, nMin, nMax);
    pDX->m_pDlgWnd->MessageBox(szMessage, nullptr, MB_OK | MB_ICONWARNING);
    pDX->Fail();
}

namespace tessel::platform {

void SetDialogAnswerer(DialogAnswerer answerer) {
    TheDialogAnswerer() = std::move(answerer);
}

void SetMessageBoxAnswerer(MessageBoxAnswerer answerer) {
    TheMessageBoxAnswerer() = std::move(answerer);
}

int SafeMessageBoxAnswer(UINT nType) {
    switch (nType & MB_TYPEMASK) {
        case MB_OKCANCEL:
        case MB_YESNOCANCEL:
            return IDCANCEL;
        case MB_YESNO:
            return IDNO;
        default:
            return IDOK;
    }
}

}  // namespace tessel::platform
