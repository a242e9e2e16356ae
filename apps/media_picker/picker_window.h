#pragma once

#include <QDialog>
#include <QString>

#include <cstdint>

class QAudioOutput;
class QLabel;
class QMediaPlayer;
class QPushButton;
class QSlider;
class QSpinBox;
class QVBoxLayout;
class QVideoWidget;

namespace tessel::media_picker {

// The "Select Begin" window (docs/media_picker.md): plays a sound or a film, and the user
// marks where a stretch of it begins and ends. The marks are two spin boxes in milliseconds,
// set from the playing position by Mark Begin and Mark End or typed by hand. A file that
// cannot be played is said so in the window; the marks can still be typed. OK accepts the
// window with the answer, Cancel (or closing it) rejects it.
class PickerWindow : public QDialog {
  public:
    explicit PickerWindow(QWidget* pParent = nullptr);
    ~PickerWindow() override;

    // Gives the player the file (a native path) and shows its name. Whether it plays is
    // known later, from the player; until then and after a failure the marks can be typed.
    void OpenMedia(const QString& strPath);

    // The playing position as the window knows it (what the marks take), in milliseconds.
    std::int64_t Position() const { return m_nPosition; }
    // Moves the player there (within the media's length, once that is known) and takes it as
    // the position at once, whether or not the player can follow.
    void SetPosition(std::int64_t nMs);

    std::int64_t Begin() const;
    std::int64_t End() const;
    void SetBegin(std::int64_t nMs);
    void SetEnd(std::int64_t nMs);

    // After OK, the line the program writes ("BEGIN END\n", the smaller first); empty while
    // the window has not been accepted or after Cancel.
    const QString& Answer() const { return m_strAnswer; }

    // What the window says about the media: the file's name, and below it whether it plays.
    QString FileText() const;
    QString StatusText() const;
    // The position and the length, as shown beside the slider.
    QString TimeText() const;
    // The media could not be loaded or played.
    bool HasFailed() const { return m_bFailed; }

    // Null when this system has no media backend (the window then only takes typed marks).
    QMediaPlayer* Player() const { return m_pPlayer; }
    QPushButton* PlayButton() const { return m_pPlay; }
    QPushButton* MarkBeginButton() const { return m_pMarkBegin; }
    QPushButton* MarkEndButton() const { return m_pMarkEnd; }
    QPushButton* OkButton() const { return m_pOk; }
    QPushButton* CancelButton() const { return m_pCancel; }
    QSpinBox* BeginBox() const { return m_pBegin; }
    QSpinBox* EndBox() const { return m_pEnd; }
    QSlider* PositionSlider() const { return m_pSlider; }

    void accept() override;
    void reject() override;

  private:
    void MakePlayer(QVBoxLayout* pLayout);
    void Fail(const QString& strWhy);
    void ShowPosition(std::int64_t nMs);
    void ShowDuration(std::int64_t nMs);
    void ShowTime();

    QMediaPlayer* m_pPlayer = nullptr;
    QAudioOutput* m_pAudio = nullptr;
    QVideoWidget* m_pVideo = nullptr;
    QLabel* m_pFile = nullptr;
    QLabel* m_pStatus = nullptr;
    QLabel* m_pTime = nullptr;
    QPushButton* m_pPlay = nullptr;
    QSlider* m_pSlider = nullptr;
    QPushButton* m_pMarkBegin = nullptr;
    QPushButton* m_pMarkEnd = nullptr;
    QSpinBox* m_pBegin = nullptr;
    QSpinBox* m_pEnd = nullptr;
    QPushButton* m_pOk = nullptr;
    QPushButton* m_pCancel = nullptr;

    std::int64_t m_nPosition = 0;
    std::int64_t m_nDuration = 0;
    bool m_bFailed = false;
    QString m_strAnswer;
};

}  // namespace tessel::media_picker
