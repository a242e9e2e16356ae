#include "prompts.h"

#include <QFileDialog>
#include <QMessageBox>

namespace tessel::formula_editor {
namespace {

const QString kFilter = QStringLiteral("Formula files (*.fml);;All files (*)");

}  // namespace

Prompts::Answer Prompts::AskToSaveChanges(QWidget* pParent, const QString& strName) {
    const QMessageBox::StandardButton button = QMessageBox::warning(
        pParent, QStringLiteral("Tessel formula editor"),
        QStringLiteral("%1 has changes that are not saved.\nSave them?").arg(strName),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (button == QMessageBox::Save) return Answer::kSave;
    if (button == QMessageBox::Discard) return Answer::kDiscard;
    return Answer::kCancel;
}

QString Prompts::AskOpenPath(QWidget* pParent, const QString& strDir) {
    return QFileDialog::getOpenFileName(pParent, QStringLiteral("Open formula"), strDir, kFilter);
}

QString Prompts::AskSavePath(QWidget* pParent, const QString& strSuggested) {
    return QFileDialog::getSaveFileName(pParent, QStringLiteral("Save formula as"), strSuggested,
                                        kFilter);
}

void Prompts::Warn(QWidget* pParent, const QString& strText) {
    QMessageBox::warning(pParent, QStringLiteral("Tessel formula editor"), strText);
}

}  // namespace tessel::formula_editor
