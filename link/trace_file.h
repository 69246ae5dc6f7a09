// The file that a line trace (link/line_trace.h) is written to, for the command-line tool and
// the window alike. A trace must never hurt the library or hold the program: it refuses the
// library's own files (Vrx.cfg, Vrx.txt, Notes.txt, VRX3KM.CFG, anything in a screen folder),
// opens only a regular file or a new one, never through a symbolic link and never waiting on a
// FIFO, and keeps a failed write (a full disk) to report it after the transfer, which the trace
// never fails.
#pragma once

#include "link/plain_file.h"

#include <filesystem>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

class TraceFile : public std::ostream {
public:
    ~TraceFile() override;
    TraceFile(const TraceFile&) = delete;
    TraceFile& operator=(const TraceFile&) = delete;

    // Opens strPath (UTF-8) for appending. libraryRoot is the library folder, whose screen
    // folders hold no trace. nullptr when refused; strProblem then says why and what to do.
    static std::unique_ptr<TraceFile> Open(const std::string& strPath,
                                           const std::filesystem::path& libraryRoot,
                                           std::string& strProblem);

    // Writes out what is buffered, then says why the trace is incomplete, for the technician;
    // "" when every byte reached the file.
    std::string Problem();

private:
    TraceFile();

    // Holds the trace's lines and hands them to the file in large pieces.
    class Buffer : public std::streambuf {
    public:
        Buffer();
        AppendFile& File() { return m_file; }

    protected:
        int_type overflow(int_type c) override;
        int sync() override;

    private:
        bool Flush();
        AppendFile m_file;
        std::vector<char> m_bytes;
    };

    Buffer m_buffer;
    std::string m_strPath;
};

// Why a line trace may not be written to strPath (UTF-8), worded as TraceFile::Open words it,
// without creating or changing anything; "" when it may. For a dialog that takes the path
// before any transfer runs.
std::string TracePathProblem(const std::string& strPath, const std::filesystem::path& libraryRoot);
