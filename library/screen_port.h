// A screen's own port: the file Port.txt in its folder, one line naming the port through which
// that screen's processor is reached (a COM name, a device, or a serial device server's network
// port). Its Load, Send, comparison and backup use it; a screen without one uses the port chosen
// with the COM buttons.
//
// Layer: beside the screen store; the files of one screen folder, found by the folder's path.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// The file in a screen folder that names its own port.
inline constexpr std::string_view kScreenPortFileName = "Port.txt";
// A port name is one short line; a larger file is not read.
inline constexpr std::size_t kScreenPortSizeLimit = 4 * 1024;

struct ScreenPort {
    std::string m_strName;    // the port named on the file's first line; "" when it has none
    std::string m_strProblem; // why the file names no port that can be used; "" when fine
    bool m_bPresent = false;  // a Port.txt stands in the folder
};

// The screen folder's own port: the first line of its Port.txt without the line end and the
// spaces around it. A Port.txt that is not a regular file of at most kScreenPortSizeLimit bytes,
// cannot be read, or holds an empty first line gives a problem, saying what to do.
ScreenPort ReadScreenPort(const std::filesystem::path& screenFolder);

// Writes strName as the folder's Port.txt, one line ended by "\r\n", replacing the file whole.
// The caller checks the name first. Throws FileError.
void WriteScreenPort(const std::filesystem::path& screenFolder, std::string_view strName);

// Removes the folder's Port.txt; false when there was none. Throws FileError when it stays.
bool ClearScreenPort(const std::filesystem::path& screenFolder);
