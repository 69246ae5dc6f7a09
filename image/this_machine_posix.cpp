// POSIX half of the machine name: the host name.
#include "image/this_machine.h"

#include <unistd.h>

std::string SystemHostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return {};
    return name;
}
