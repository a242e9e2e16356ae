// tessel-formula: the formula editor (docs/formula_editor.md). The page editor's Formula
// dialog starts it on the full path of a .fml file; by hand:
//
//   tessel-formula [FILE.fml] [--quit-after-load]
//
// --quit-after-load is for the tests: the program opens the file, shows its window, runs its
// event loop once and ends, after writing two lines to standard output, the path of the
// window's file and what the status bar says about the formula. Warnings go to standard error
// instead of message boxes then, and the exit status is 1 when the file could not be opened.

#include <QApplication>
#include <QStringList>
#include <QTimer>

#include <cstdio>

#include "formula_window.h"
#include "prompts.h"

namespace {

using tessel::formula_editor::Prompts;

// For a run without a user: warnings are written out, questions answered "cancel".
class PrintedPrompts : public Prompts {
  public:
    Answer AskToSaveChanges(QWidget*, const QString&) override { return Answer::kCancel; }
    QString AskOpenPath(QWidget*, const QString&) override { return {}; }
    QString AskSavePath(QWidget*, const QString&) override { return {}; }
    void Warn(QWidget*, const QString& strText) override {
        std::fprintf(stderr, "tessel-formula: %s\n", strText.toLocal8Bit().constData());
    }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tessel-formula"));

    QString strPath;
    bool bQuitAfterLoad = false;
    const QStringList args = QApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--quit-after-load")) {
            bQuitAfterLoad = true;
        } else if (strPath.isEmpty() && !args[i].startsWith(u'-')) {
            strPath = args[i];
        } else {
            std::fprintf(stderr, "usage: tessel-formula [FILE.fml] [--quit-after-load]\n");
            return 2;
        }
    }

    tessel::formula_editor::FormulaWindow window;
    PrintedPrompts printed;
    if (bQuitAfterLoad) window.SetPrompts(&printed);
    const bool bOpened = strPath.isEmpty() || window.OpenFile(strPath);
    window.show();
    if (!bQuitAfterLoad) return QApplication::exec();

    QTimer::singleShot(0, &app, &QCoreApplication::quit);
    QApplication::exec();
    std::printf("%s\n%s\n", window.FilePath().toLocal8Bit().constData(),
                window.StatusText().toLocal8Bit().constData());
    return bOpened ? 0 : 1;
}
