// Looking for a processor: the link check on one device after another. The link check only
// asks for the system block, so nothing is ever written to a processor.
#pragma once

#include <functional>
#include <string>
#include <vector>

class CSerialPort;
struct SerialDevice;

// Where to look for a processor: the devices that COM1 to COM4 stand for (portDevices, as typed
// or resolved), then every device the system lists, each once, empty entries left out.
std::vector<std::string> FindCandidates(const std::vector<std::string>& portDevices,
                                        const std::vector<SerialDevice>& listed);

// The devices (paths, or port names on Windows) where a processor answered the link check, in
// the order given. progress is told each device before it is tried. A device that `held`
// already has open is tried on that port; every other one is opened for the try and closed.
// Each silent device takes about two seconds.
std::vector<std::string> FindProcessor(const std::vector<std::string>& devices,
                                       const std::function<void(const std::string&)>& progress,
                                       CSerialPort* held = nullptr);
