// Which computer this is, as the files that each laptop of a team writes for itself are named:
// the kept versions in a screen's History and the screen's log carry it, so two laptops that
// share a library through a sync engine never write a file of the same name.
#pragma once

#include <string>
#include <string_view>

// The environment variable that names the machine in place of the host name. For tests only:
// they play two laptops on one computer.
inline constexpr const char* kMachineVariable = "VRX3KM_MACHINE";

// This computer's name made safe for a file name (SafeMachineName): the host name, or the value
// of VRX3KM_MACHINE when it is set and not empty.
std::string MachineName();

// A machine name as file names carry it: the name up to its first "." (a host name's own part,
// without the domain), every run of characters other than ASCII letters and digits made one
// "-", no "-" at either end, at most 40 characters, never empty ("machine" when nothing is
// left). "Laptop 7.example.com" gives "Laptop-7".
std::string SafeMachineName(std::string_view name);

// The platform's half: the host name as the system gives it, "" when it gives none.
std::string SystemHostName();
