// Opening a file in the desktop's program for it (the notes and the report in a text editor,
// the help document in a word processor), without waiting for that program. Each window binds
// it to its platform's way of starting programs; tests put a recorder in its place.
#pragma once

#include <string>

// The program a file is opened in: the text editor for the notes and the report, the word
// processor for the help document.
enum class LaunchProgram { TextEditor, WordProcessor };

class Launcher {
public:
    virtual ~Launcher() = default;
    // path is relative to the working directory or absolute. True when the desktop took the
    // file; false when it has no program for it or the program could not be started, so that
    // the command can show the file itself.
    virtual bool Open(LaunchProgram program, const std::string& path) = 0;
};
