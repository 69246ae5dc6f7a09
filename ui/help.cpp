#include "ui/help.h"

#include "control/site_commands.h"
#include "image/atomic_file.h"
#include "image/file_error.h"
#include "ui/prompt.h"
#include "ui/text_file.h"
#include "ui/text_viewer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cctype>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// The text of a simple Rich Text document as plain paragraphs: the help document is shown this
// way where no word processor opens it.
QString RichTextToPlain(const QByteArray& rtf) {
    QByteArray out;
    int depth = 0;
    int skipDepth = -1; // inside a group that holds no text (the font table)
    for (qsizetype i = 0; i < rtf.size(); ++i) {
        const char c = rtf[i];
        if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (depth == skipDepth)
                skipDepth = -1;
            --depth;
        } else if (c == '\\' && i + 1 < rtf.size()) {
            const char next = rtf[i + 1];
            if (next == '\\' || next == '{' || next == '}') {
                if (skipDepth < 0)
                    out += next;
                ++i;
            } else if (next == '\'' && i + 3 < rtf.size()) {
                if (skipDepth < 0)
                    out += static_cast<char>(rtf.mid(i + 2, 2).toInt(nullptr, 16));
                i += 3;
            } else {
                qsizetype end = i + 1;
                while (end < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[end])))
                    ++end;
                const QByteArray word = rtf.mid(i + 1, end - i - 1);
                while (end < rtf.size() &&
                       (std::isdigit(static_cast<unsigned char>(rtf[end])) || rtf[end] == '-'))
                    ++end;
                if (end < rtf.size() && rtf[end] == ' ')
                    ++end; // the delimiter belongs to the control word
                if (word == "fonttbl" || word == "colortbl" || word == "stylesheet" ||
                    word == "info")
                    skipDepth = depth;
                else if (skipDepth < 0 && (word == "par" || word == "line"))
                    out += '\n';
                else if (skipDepth < 0 && word == "tab")
                    out += '\t';
                i = end - 1;
            }
        } else if (c != '\r' && c != '\n' && skipDepth < 0) {
            out += c;
        }
    }
    // The document's text is in the platform's 8-bit character set.
    return QString::fromLatin1(out);
}

} // namespace

std::string HelpDocumentPath() {
    std::error_code ec;
    if (fs::is_regular_file("Help.doc", ec))
        return "Help.doc";
    const QString installed =
        QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/vrx3km/Help.doc");
    if (QFileInfo(installed).isFile())
        return installed.toStdString();
    // The copy built into the program, written where the word processor can read it.
    QFile builtIn(":/help/Help.doc");
    if (!builtIn.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = builtIn.readAll();
    const QString folder = QDir(QDir::tempPath()).filePath("vrx3km-help");
    const QString temporary = QDir(folder).filePath("Help.doc");
    QDir().mkpath(folder);
    QFile existing(temporary);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == bytes)
        return temporary.toStdString();
    existing.close();
    try {
        WriteFileAtomically(
            fs::path(temporary.toStdU16String()),
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    } catch (const FileError&) {
        return {};
    }
    return temporary.toStdString();
}

void OpenHelp(QWidget* owner, WindowPrompt& boxes, Launcher& launcher) {
    CPromptOver prompt(boxes, owner);
    const Opening help = OpenHelpDocument(prompt, launcher, HelpDocumentPath());
    QByteArray bytes;
    if (help.m_nResult != OpenResult::NotOpened || !ReadForShowing(prompt, help.m_strPath, bytes))
        return;
    ShowTextViewer(owner, boxes, "Help",
                   bytes.startsWith("{\\rtf") ? RichTextToPlain(bytes)
                                              : QString::fromLatin1(bytes));
}
