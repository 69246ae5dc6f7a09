#include "ui/text_file.h"

#include "control/prompt.h"
#include "image/file_error.h"
#include "image/regular_file.h"
#include "ui/dialog_units.h"

#include <QDialog>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QtMath>

#include <string>

namespace fs = std::filesystem;

namespace {

// The notes, the report and the help document are a few kilobytes. A larger file is not one of
// them, and an editor that showed only part of it would drop the rest on saving.
constexpr std::size_t kMaxTextFileBytes = 4 * 1024 * 1024;

} // namespace

bool ReadForShowing(Prompt& prompt, const fs::path& file, QByteArray& bytes) {
    const std::string path = file.string();
    std::string strWhy;
    const RegularFileRead read = ReadRegularFile(file, kMaxTextFileBytes);
    switch (read.m_nStatus) {
    case RegularFileStatus::Read:
        bytes = QByteArray(read.m_bytes.data(), static_cast<qsizetype>(read.m_bytes.size()));
        return true;
    case RegularFileStatus::Missing:
        ShowFileError(prompt, FileError(FileError::Cause::NotFound, path).Message());
        return false;
    case RegularFileStatus::Failed:
        ShowFileError(prompt, FileError(FileError::Cause::AccessDenied, path).Message());
        return false;
    case RegularFileStatus::NotAFile:
        strWhy = path + " is not a plain file (a folder, a device or a pipe has its name), so it "
                        "is not opened. Move that out of the way.";
        break;
    case RegularFileStatus::TooLarge:
        strWhy = path + " is larger than " + std::to_string(kMaxTextFileBytes / (1024 * 1024)) +
                 " MB, so it is not opened here. Open it in a text editor.";
        break;
    }
    Tell(prompt, strWhy, prompt.ProgramCaption(), PromptIcon::Exclamation);
    return false;
}

QPlainTextEdit* AddTextArea(QDialog* dialog, bool bWrap) {
    auto* text = new QPlainTextEdit(dialog);
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    if (!bWrap)
        text->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(text);
    // Wide enough for the report's 80 columns at the text's own font, the frame, the margins and
    // a vertical scroll bar; the notes template's columns fit the same width.
    const QFontMetrics metrics(text->font());
    const int columns = metrics.horizontalAdvance(QString(80, QLatin1Char('M'))) +
                        2 * text->frameWidth() + 2 * qCeil(text->document()->documentMargin()) +
                        text->verticalScrollBar()->sizeHint().width() + metrics.averageCharWidth();
    const DialogUnits du(dialog->fontMetrics());
    text->setMinimumWidth(columns);
    dialog->resize(dialog->sizeHint().expandedTo(QSize(du.X(330), du.Y(260))));
    text->setMinimumWidth(0);
    return text;
}

QWidget* OwnerWindow(QWidget* owner) {
    return owner ? owner->window() : nullptr;
}
