// The fixed texts the program shows word for word, kept once in a golden file
// (tests/cli/golden/program_texts.txt): one a line as NAME: TEXT, with \n for a line break.
#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

// The golden file's texts by name.
inline std::map<std::string, std::string> ProgramTexts(const std::filesystem::path& file) {
    std::map<std::string, std::string> texts;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        const auto colon = line.find(": ");
        if (line.empty() || line[0] == '#' || colon == std::string::npos)
            continue;
        std::string text = line.substr(colon + 2);
        for (std::size_t at = text.find("\\n"); at != std::string::npos; at = text.find("\\n", at))
            text.replace(at, 2, "\n");
        texts[line.substr(0, colon)] = text;
    }
    return texts;
}
