#include "picker_window.h"

#include <QAudioOutput>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMediaPlayer>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QUrl>
#include <QVBoxLayout>
#include <QVideoWidget>
#include <QtGlobal>

#include <algorithm>

#include "answer.h"

namespace tessel::media_picker {
namespace {

// Whether Qt Multimedia has a backend here, chosen. It takes one once per process, at its
// first object, and Qt 6.4 ends the process then when it finds none: without one the window
// makes no player. Debian's Qt 6.4 GStreamer backend crashes while making a player when
// GStreamer's base plugins are not installed, and they are not among its dependencies; the
// FFmpeg backend needs nothing beyond the libraries it links and plays the page's formats
// (waves, movies, FLIC cartoons). So FFmpeg is taken when it is there, unless QT_MEDIA_BACKEND
// names a backend.
bool ChooseMediaBackend() {
    static const bool bChosen = [] {
        QStringList plugins;
        for (const QString& strFolder : QCoreApplication::libraryPaths())
            plugins += QDir(strFolder + QStringLiteral("/multimedia")).entryList(QDir::Files);
        auto has = [&](const QString& strName) {
            return std::any_of(plugins.begin(), plugins.end(),
                               [&](const QString& strFile) { return strFile.contains(strName); });
        };
        const QString strNamed = qEnvironmentVariable("QT_MEDIA_BACKEND");
        if (!strNamed.isEmpty()) return has(strNamed);
        if (has(QStringLiteral("ffmpeg"))) qputenv("QT_MEDIA_BACKEND", "ffmpeg");
        return !plugins.isEmpty();
    }();
    return bChosen;
}

QSpinBox* MakePositionBox(QWidget* pParent) {
    auto* pBox = new QSpinBox(pParent);
    pBox->setRange(0, static_cast<int>(kMaxPositionMs));
    pBox->setSuffix(QStringLiteral(" ms"));
    pBox->setAccelerated(true);
    return pBox;
}

}  // namespace

PickerWindow::PickerWindow(QWidget* pParent) : QDialog(pParent) {
    setWindowTitle(QStringLiteral("Select Begin"));
    setMinimumWidth(380);

    m_pFile = new QLabel(QStringLiteral("No media"), this);
    m_pFile->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_pStatus = new QLabel(this);
    m_pStatus->setWordWrap(true);

    m_pPlay = new QPushButton(QStringLiteral("Play"), this);
    m_pSlider = new QSlider(Qt::Horizontal, this);
    m_pSlider->setEnabled(false);
    m_pTime = new QLabel(this);

    m_pMarkBegin = new QPushButton(QStringLiteral("Mark &Begin"), this);
    m_pMarkEnd = new QPushButton(QStringLiteral("Mark &End"), this);
    m_pBegin = MakePositionBox(this);
    m_pEnd = MakePositionBox(this);

    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_pOk = pButtons->button(QDialogButtonBox::Ok);
    m_pCancel = pButtons->button(QDialogButtonBox::Cancel);
    m_pOk->setDefault(true);

    auto* pTransport = new QHBoxLayout;
    pTransport->addWidget(m_pPlay);
    pTransport->addWidget(m_pSlider, 1);
    pTransport->addWidget(m_pTime);
    auto* pMarks = new QGridLayout;
    pMarks->addWidget(m_pMarkBegin, 0, 0);
    pMarks->addWidget(m_pBegin, 0, 1);
    pMarks->addWidget(m_pMarkEnd, 1, 0);
    pMarks->addWidget(m_pEnd, 1, 1);
    pMarks->setColumnStretch(2, 1);
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_pFile);
    pLayout->addWidget(m_pStatus);
    pLayout->addLayout(pTransport);
    pLayout->addLayout(pMarks);
    pLayout->addWidget(pButtons);

    connect(m_pPlay, &QPushButton::clicked, this, [this] {
        if (!m_pPlayer) return;
        if (m_pPlayer->playbackState() == QMediaPlayer::PlayingState)
            m_pPlayer->pause();
        else
            m_pPlayer->play();
    });
    connect(m_pSlider, &QSlider::sliderMoved, this, [this](int nMs) { SetPosition(nMs); });
    connect(m_pMarkBegin, &QPushButton::clicked, this, [this] { SetBegin(m_nPosition); });
    connect(m_pMarkEnd, &QPushButton::clicked, this, [this] { SetEnd(m_nPosition); });
    connect(pButtons, &QDialogButtonBox::accepted, this, &PickerWindow::accept);
    connect(pButtons, &QDialogButtonBox::rejected, this, &PickerWindow::reject);

    // The video widget is Qt Multimedia's too, so it is made only with a backend; it sits
    // between the file's name and what is said of it.
    if (ChooseMediaBackend()) MakePlayer(pLayout);
    ShowTime();
}

void PickerWindow::MakePlayer(QVBoxLayout* pLayout) {
    m_pVideo = new QVideoWidget(this);
    m_pVideo->setMinimumSize(320, 240);
    // Shown only while the media has a picture: a sound needs no black box.
    m_pVideo->hide();
    pLayout->insertWidget(1, m_pVideo, 1);

    m_pPlayer = new QMediaPlayer(this);
    m_pAudio = new QAudioOutput(this);
    m_pPlayer->setAudioOutput(m_pAudio);
    m_pPlayer->setVideoOutput(m_pVideo);

    connect(m_pPlayer, &QMediaPlayer::positionChanged, this,
            [this](qint64 nMs) { ShowPosition(nMs); });
    connect(m_pPlayer, &QMediaPlayer::durationChanged, this,
            [this](qint64 nMs) { ShowDuration(nMs); });
    connect(m_pPlayer, &QMediaPlayer::hasVideoChanged, this,
            [this](bool bVideo) { m_pVideo->setVisible(bVideo); });
    connect(m_pPlayer, &QMediaPlayer::playbackStateChanged, this,
            [this](QMediaPlayer::PlaybackState state) {
                m_pPlay->setText(state == QMediaPlayer::PlayingState ? QStringLiteral("Pause")
                                                                     : QStringLiteral("Play"));
            });
    connect(m_pPlayer, &QMediaPlayer::mediaStatusChanged, this,
            [this](QMediaPlayer::MediaStatus status) {
                if (status == QMediaPlayer::InvalidMedia)
                    Fail(QStringLiteral("the file is not media this system can play"));
                else if (status == QMediaPlayer::LoadedMedia && !m_bFailed)
                    m_pStatus->setText(
                        QStringLiteral("Play it and mark where the stretch begins and ends."));
            });
    connect(m_pPlayer, &QMediaPlayer::errorOccurred, this,
            [this](QMediaPlayer::Error, const QString& strError) {
                Fail(strError.isEmpty() ? QStringLiteral("the player failed") : strError);
            });
}

PickerWindow::~PickerWindow() {
    // The player goes first, while the outputs it plays into are still there.
    if (m_pPlayer) m_pPlayer->stop();
    delete m_pPlayer;
}

void PickerWindow::OpenMedia(const QString& strPath) {
    const QFileInfo info(strPath);
    m_pFile->setText(info.fileName().isEmpty() ? strPath : info.fileName());
    m_pFile->setToolTip(info.absoluteFilePath());
    m_bFailed = false;
    m_pPlay->setEnabled(true);
    m_pStatus->setText(QStringLiteral("Loading..."));
    if (!m_pPlayer || !m_pPlayer->isAvailable()) {
        Fail(QStringLiteral("this system has no media player"));
        return;
    }
    m_pPlayer->setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
}

void PickerWindow::SetPosition(std::int64_t nMs) {
    nMs = std::clamp<std::int64_t>(nMs, 0, m_nDuration > 0 ? m_nDuration : kMaxPositionMs);
    if (m_pPlayer && !m_bFailed && m_pPlayer->isSeekable()) m_pPlayer->setPosition(nMs);
    ShowPosition(nMs);
}

std::int64_t PickerWindow::Begin() const {
    return m_pBegin->value();
}

std::int64_t PickerWindow::End() const {
    return m_pEnd->value();
}

void PickerWindow::SetBegin(std::int64_t nMs) {
    m_pBegin->setValue(static_cast<int>(std::clamp<std::int64_t>(nMs, 0, kMaxPositionMs)));
}

void PickerWindow::SetEnd(std::int64_t nMs) {
    m_pEnd->setValue(static_cast<int>(std::clamp<std::int64_t>(nMs, 0, kMaxPositionMs)));
}

QString PickerWindow::FileText() const {
    return m_pFile->text();
}

QString PickerWindow::StatusText() const {
    return m_pStatus->text();
}

QString PickerWindow::TimeText() const {
    return m_pTime->text();
}

void PickerWindow::accept() {
    // What is being typed in a box counts, as if the user had left it.
    m_pBegin->interpretText();
    m_pEnd->interpretText();
    m_strAnswer = AnswerLine(Begin(), End());
    if (m_pPlayer) m_pPlayer->stop();
    QDialog::accept();
}

void PickerWindow::reject() {
    m_strAnswer.clear();
    if (m_pPlayer) m_pPlayer->stop();
    QDialog::reject();
}

void PickerWindow::Fail(const QString& strWhy) {
    m_bFailed = true;
    m_pPlay->setEnabled(false);
    m_pSlider->setEnabled(false);
    if (m_pVideo) m_pVideo->hide();
    m_pStatus->setText(
        QStringLiteral("Cannot play %1: %2. The begin and the end can still be typed.")
            .arg(m_pFile->text(), strWhy));
}

void PickerWindow::ShowPosition(std::int64_t nMs) {
    m_nPosition = std::max<std::int64_t>(nMs, 0);
    if (!m_pSlider->isSliderDown())
        m_pSlider->setValue(static_cast<int>(std::min(m_nPosition, kMaxPositionMs)));
    ShowTime();
}

void PickerWindow::ShowDuration(std::int64_t nMs) {
    m_nDuration = std::clamp<std::int64_t>(nMs, 0, kMaxPositionMs);
    m_pSlider->setRange(0, static_cast<int>(m_nDuration));
    m_pSlider->setEnabled(m_nDuration > 0 && !m_bFailed);
    ShowTime();
}

void PickerWindow::ShowTime() {
    m_pTime->setText(FormatTime(m_nPosition) + QStringLiteral(" / ") + FormatTime(m_nDuration));
}

}  // namespace tessel::media_picker
