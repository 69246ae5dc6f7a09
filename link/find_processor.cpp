#include "link/find_processor.h"

#include "image/settings_image.h"
#include "link/frame_codec.h"
#include "link/serial_devices.h"
#include "link/serial_port.h"
#include "link/transactions.h"

#include <algorithm>

std::vector<std::string> FindCandidates(const std::vector<std::string>& portDevices,
                                        const std::vector<SerialDevice>& listed) {
    std::vector<std::string> candidates;
    // One try per port: on Windows the list's COM7 is the mapping's \\.\COM7.
    auto add = [&candidates](const std::string& device) {
        if (device.empty())
            return;
        const std::string key = ComparableDeviceName(device);
        if (std::none_of(candidates.begin(), candidates.end(), [&key](const std::string& known) {
                return ComparableDeviceName(known) == key;
            }))
            candidates.push_back(device);
    };
    for (const std::string& device : portDevices)
        add(device);
    for (const SerialDevice& device : listed)
        add(device.m_strPath);
    return candidates;
}

std::vector<std::string> FindProcessor(const std::vector<std::string>& devices,
                                       const std::function<void(const std::string&)>& progress,
                                       const HeldPort* held) {
    std::vector<std::string> answered;
    for (const std::string& device : devices) {
        if (progress)
            progress(device);
        CSerialPort ownPort;
        FrameCodec ownCodec;
        const bool bHeld =
            held != nullptr && held->m_port.IsOpen() && held->m_port.Device() == device;
        if (!bHeld)
            ownPort.OpenDevice(device);
        CSerialPort& port = bHeld ? held->m_port : ownPort;
        if (!port.IsOpen())
            continue;
        // The system block read goes into an image of its own: the program's image is untouched.
        SettingsImage scratch;
        if (CheckLink(port, bHeld ? held->m_codec : ownCodec, scratch) == LinkOk)
            answered.push_back(device);
    }
    return answered;
}
