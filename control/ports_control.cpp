#include "control/ports_control.h"

#include "link/network_line.h"
#include "link/port_mapping.h"
#include "link/profile.h"
#include "link/serial_port.h"

#include <algorithm>

std::string DescribePortChoice(int index, const std::string& device,
                               const std::vector<SerialDevice>& devices) {
    if (device.empty())
        return "default device " + DefaultPortDevice(PortName(index));
    if (IsNetworkPortName(device))
        return DescribeNetworkPort(device);
    const auto found = std::find_if(devices.begin(), devices.end(),
                                    [&](const SerialDevice& d) { return d.m_strPath == device; });
    if (found == devices.end())
        return "not in the list of devices found";
    if (found->Describe() == found->m_strPath)
        return "found";
    return found->Describe().substr(found->m_strPath.size() + 1);
}

std::string PortOpenText(const std::string& port, const std::string& profilePath) {
    CSerialPort probe;
    probe.Open(port, profilePath);
    return PortOpenText(probe.IsOpen() ? std::string() : probe.LastOpenFailure().Reason());
}

std::string PortOpenText(const std::string& problem) {
    return problem.empty() ? std::string("opens") : problem;
}

std::string FindResultText(const std::vector<std::string>& answered, std::size_t nTried,
                           const std::array<std::string, 4>& mappings) {
    if (answered.empty())
        return "No processor answered on " + std::to_string(nTried) +
               " port(s). Check the cable, the adapter and that the processor is on.";
    std::string text = "A processor answered on ";
    for (std::size_t i = 0; i < answered.size(); ++i)
        text += (i ? ", " : "") + answered[i];
    text += ".";
    // A device that no port stands for yet must be chosen for one before it can be used.
    if (std::find(mappings.begin(), mappings.end(), answered.front()) == mappings.end())
        text += " Choose it for a port above and press OK.";
    return text;
}

std::optional<PortChoiceRefusal> RefusedPortChoice(const std::array<std::string, 4>& typed) {
    for (int i = 0; i < 4; ++i) {
        if (const std::string problem = PortNameProblem(typed[static_cast<std::size_t>(i)]);
            !problem.empty())
            return PortChoiceRefusal{i, "The device typed for " + PortName(i) +
                                            " cannot be used.\n" + problem +
                                            "\nType it again, or choose it from the list."};
    }
    return std::nullopt;
}

std::string WritePortChoices(const std::array<std::string, 4>& typed,
                             std::array<std::string, 4>& loaded,
                             const std::vector<SerialDevice>& devices,
                             const std::string& profilePath) {
    for (std::size_t i = 0; i < typed.size(); ++i) {
        const std::string& device = typed[i];
        if (device == loaded[i])
            continue;
        const SerialDevice* listed = FindListedDevice(devices, device);
        const AdapterIdentity adapter = listed ? IdentityOf(*listed) : AdapterIdentity{};
        if (!SetPortMapping(PortName(static_cast<int>(i)), device, profilePath, adapter)) {
            const std::string problem = ProfileProblem(profilePath);
            return problem.empty() ? "The port choice could not be written to " + profilePath +
                                         ".\nCheck that the library folder may be written, then "
                                         "try again."
                                   : "The port choice could not be written.\n" + problem;
        }
        loaded[i] = device;
    }
    return {};
}
