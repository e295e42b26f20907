#include "QtFileDialogs.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

namespace quillon {

namespace {

QString qs(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// Qt's filter list: "C 源文件 (*.h *.c)" carries its patterns in its label.
QStringList nameFilters(std::span<const FileFilter> filters) {
    QStringList list;
    for (const FileFilter& filter : filters) {
        list << qs(filter.label);
    }
    return list;
}

// File names are bytes on Linux; Qt and the library agree on UTF-8 through encodeName.
QString fromPath(const std::filesystem::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

std::optional<std::filesystem::path> chosenPath(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return std::filesystem::path(QFile::encodeName(dialog.selectedFiles().first()).toStdString());
}

} // namespace

void QtFileDialogs::askOpenPath(std::u16string_view title, std::span<const FileFilter> filters,
                                const std::filesystem::path& folder, PathAnswer answer) {
    QFileDialog dialog(&window_, qs(title), fromPath(folder));
    dialog.setObjectName(QStringLiteral("OpenDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(nameFilters(filters));
    answer(chosenPath(dialog));
}

void QtFileDialogs::askSavePath(std::u16string_view title, std::span<const FileFilter> filters,
                                const std::filesystem::path& suggested, PathAnswer answer) {
    QFileDialog dialog(&window_, qs(title));
    dialog.setObjectName(QStringLiteral("SaveAsDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(nameFilters(filters));
    dialog.setDefaultSuffix(qs(kDefaultSuffix));
    if (!suggested.empty()) {
        dialog.selectFile(fromPath(suggested));
    }
    answer(chosenPath(dialog));
}

void QtFileDialogs::askSaveChanges(const CloseQuestion& question, SaveChangesAnswer answer) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Quillon"), qs(question.question),
                    QMessageBox::NoButton, &window_);
    box.setObjectName(QStringLiteral("SaveChangesBox"));
    QPushButton* save = box.addButton(qs(question.save), QMessageBox::AcceptRole);
    QPushButton* dontSave = box.addButton(qs(question.dontSave), QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(qs(question.cancel), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save) {
        answer(CloseAnswer::Save);
        return;
    }
    answer(box.clickedButton() == dontSave ? CloseAnswer::DontSave : CloseAnswer::Cancel);
}

void QtFileDialogs::askTuneChoice(const TuneQuestion& question, TuneAnswer answer) {
    QDialog dialog(&window_);
    dialog.setObjectName(QStringLiteral("TuneChoiceDialog"));
    dialog.setWindowTitle(qs(question.title));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(qs(question.prompt), &dialog));
    auto* list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("TuneList"));
    for (const std::u16string& row : question.rows) {
        list->addItem(qs(row));
    }
    list->setCurrentRow(static_cast<int>(question.defaultRow));
    list->setMinimumWidth(list->sizeHintForColumn(0) + 40);
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* take = buttons->addButton(qs(question.take), QDialogButtonBox::AcceptRole);
    buttons->addButton(qs(question.cancel), QDialogButtonBox::RejectRole);
    take->setDefault(true);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemActivated, &dialog, &QDialog::accept);
    list->setFocus();

    const bool taken = dialog.exec() == QDialog::Accepted && list->currentRow() >= 0;
    answer(taken ? std::optional(static_cast<std::size_t>(list->currentRow())) : std::nullopt);
}

} // namespace quillon
