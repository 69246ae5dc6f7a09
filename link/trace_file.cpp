#include "link/trace_file.h"

#include "image/portable.h"
#include "image/stored_files.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// The files that the library keeps, by name: a trace never goes into one of them, wherever it
// lies (another library's files are as precious as this one's).
constexpr std::string_view kLibraryFiles[] = {kSettingsFileName, kReportFileName, kNotesFileName,
                                              kProfileFileName};
// Screen folders lie three levels below the library folder: circuit, theater, screen. Whatever
// lies in one (its History too) is the library's.
constexpr int kScreenDepth = 3;
// Lines are handed to the file in pieces of this size, and whatever is left after a transfer.
constexpr std::size_t kBufferSize = 64 * 1024;

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The path with every folder link and "." or ".." resolved, as far as it exists.
fs::path Resolved(const fs::path& path) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    if (ec)
        return path.lexically_normal();
    const fs::path resolved = fs::weakly_canonical(absolute, ec);
    return ec ? absolute.lexically_normal() : resolved;
}

// Why the place of `file` belongs to the library; "" when it does not.
std::string LibraryReason(const fs::path& file, const fs::path& libraryRoot) {
    const std::string name = PathToUtf8(file.filename());
    for (const std::string_view own : kLibraryFiles) {
        if (SameNameIgnoringCase(name, own))
            return "it is one of the library's own files";
    }
    const fs::path relative =
        Resolved(file).parent_path().lexically_relative(Resolved(libraryRoot));
    int depth = 0;
    for (const fs::path& part : relative) {
        if (part == "..")
            return {};
        if (part != ".")
            ++depth;
    }
    return !relative.empty() && depth >= kScreenDepth ? "it lies in a screen folder of the library"
                                                      : std::string();
}

// What TraceFile::Open would find wrong with the file itself, found without opening it.
std::string KindReason(const fs::path& path) {
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    if (fs::is_symlink(status))
        return "it is a symbolic link";
    if (fs::is_directory(status))
        return kFolderReason;
    if (!fs::exists(status))
        return fs::is_directory(Resolved(path).parent_path(), ec) ? std::string()
                                                                  : "its folder does not exist";
    if (!fs::is_regular_file(status))
        return kNotRegularReason;
    if (fs::hard_link_count(path, ec) > 1 && !ec)
        return "it has other names (hard links), one of which may be a library file";
    return {};
}

std::string Refusal(const std::string& strPath, const std::string& reason) {
    return "The line trace cannot be written to " + strPath + ": " + reason +
           ". Choose another file for the trace, outside the library's screen folders.";
}

} // namespace

TraceFile::Buffer::Buffer() : m_bytes(kBufferSize) {
    setp(m_bytes.data(), m_bytes.data() + m_bytes.size());
}

bool TraceFile::Buffer::Flush() {
    const std::size_t length = static_cast<std::size_t>(pptr() - pbase());
    setp(m_bytes.data(), m_bytes.data() + m_bytes.size());
    return length == 0 || m_file.Write(m_bytes.data(), length);
}

TraceFile::Buffer::int_type TraceFile::Buffer::overflow(int_type c) {
    if (!Flush())
        return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof()))
        sputc(traits_type::to_char_type(c));
    return traits_type::not_eof(c);
}

int TraceFile::Buffer::sync() {
    return Flush() ? 0 : -1;
}

TraceFile::TraceFile() : std::ostream(nullptr) {
    rdbuf(&m_buffer);
}

TraceFile::~TraceFile() {
    m_buffer.pubsync();
}

std::unique_ptr<TraceFile> TraceFile::Open(const std::string& strPath, const fs::path& libraryRoot,
                                           std::string& strProblem) {
    const fs::path path = PathFromUtf8(strPath);
    if (std::string reason = LibraryReason(path, libraryRoot); !reason.empty()) {
        strProblem = Refusal(strPath, reason);
        return nullptr;
    }
    std::unique_ptr<TraceFile> trace(new TraceFile());
    std::string reason;
    if (!trace->m_buffer.File().Open(path, reason)) {
        strProblem = Refusal(strPath, reason);
        return nullptr;
    }
    trace->m_strPath = strPath;
    strProblem.clear();
    return trace;
}

std::string TraceFile::Problem() {
    flush();
    if (!m_buffer.File().Failed())
        return {};
    return "The line trace could not be written whole to " + m_strPath + ": " +
           m_buffer.File().Error() + ". The transfer itself was not affected.";
}

std::string TracePathProblem(const std::string& strPath, const fs::path& libraryRoot) {
    const fs::path path = PathFromUtf8(strPath);
    std::string reason = LibraryReason(path, libraryRoot);
    if (reason.empty())
        reason = KindReason(path);
    return reason.empty() ? std::string() : Refusal(strPath, reason);
}
