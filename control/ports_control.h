// What the ports dialogs (Qt, Win32) say and do with COM1 to COM4: the device chosen for a port,
// whether a port opens now, what a search for the processor found, and keeping the devices
// chosen. Written once here so that both windows say and keep the same.
#pragma once

#include "link/serial_devices.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

// What is known of the device typed or chosen for the port of this index (0 to 3): its default
// device when none is, a network port's description, the system's description of a listed
// device, or that it is not among the devices found.
std::string DescribePortChoice(int index, const std::string& device,
                               const std::vector<SerialDevice>& devices);

// Whether the port name ("COM1") opens now on the device its mapping in the profile names:
// "opens", or why it does not (PortOpenFailure::Reason, the line vrx3km-cli ports prints). Opens
// the device for a moment; nothing is written to it.
std::string PortOpenText(const std::string& port, const std::string& profilePath);
// The same for a port already held open by the window, from why it did not open ("" when it
// did, CPortLine::Problem).
std::string PortOpenText(const std::string& problem);

// The end of a search for the processor: the devices where it answered of nTried, named once;
// mappings are the devices typed for COM1 to COM4, so that a device no port stands for yet is
// pointed out.
std::string FindResultText(const std::vector<std::string>& answered, std::size_t nTried,
                           const std::array<std::string, 4>& mappings);

// A device typed for a port that may not be kept.
struct PortChoiceRefusal {
    int m_nIndex = 0;      // the port's index (0 to 3)
    std::string m_strText; // why, and what to do
};
// The first of the devices typed for COM1 to COM4 that may not be kept (a control character, a
// network port that is not well formed); nullopt when all may.
std::optional<PortChoiceRefusal> RefusedPortChoice(const std::array<std::string, 4>& typed);

// Writes each port's device that differs from loaded into the machine's own profile beside the
// library's profile at profilePath, and notes it in loaded. An adapter from the list of devices
// is kept with its identity, so that the port finds it again under another device name. "" when
// all were written, else why not (the ports before stay written).
std::string WritePortChoices(const std::array<std::string, 4>& typed,
                             std::array<std::string, 4>& loaded,
                             const std::vector<SerialDevice>& devices,
                             const std::string& profilePath);
