// Looking for a processor: the link check on one device after another. The link check only
// asks for the system block, so nothing is ever written to a processor.
#pragma once

#include <functional>
#include <string>
#include <vector>

class CSerialPort;
class FrameCodec;
struct SerialDevice;

// The program's own port with the codec that frames its messages.
struct HeldPort {
    CSerialPort& m_port;
    FrameCodec& m_codec;
};

// Where to look for a processor: the devices that COM1 to COM4 stand for (portDevices, as typed
// or resolved), then every device the system lists, each once, empty entries left out.
std::vector<std::string> FindCandidates(const std::vector<std::string>& portDevices,
                                        const std::vector<SerialDevice>& listed);

// The devices (paths, or port names on Windows) where a processor answered the link check, in
// the order given. progress is told each device before it is tried. A device that the held port
// already has open is tried on that port with its codec; every other one is opened for the try,
// with a codec of its own, and closed. Each silent device takes about two seconds.
std::vector<std::string> FindProcessor(const std::vector<std::string>& devices,
                                       const std::function<void(const std::string&)>& progress,
                                       const HeldPort* held = nullptr);
