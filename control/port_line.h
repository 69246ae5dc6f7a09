// The serial port line of the main window: which of COM1..COM4 is chosen, opening it, saving the
// choice, whether it is open now and why not, opening it again before a transfer, and the line
// trace the ports dialog switches on. Each window shows the state it reports.
#pragma once

#include "library/screen_port.h"
#include "link/port_choice.h"
#include "link/profile.h"
#include "link/transfer_sequence.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

class CSerialPort;
class FrameCodec;

// What the port line shows.
struct PortLineState {
    std::string m_strPort;   // "COM1" to "COM4"
    std::string m_strDevice; // the device the chosen port stands for
    bool m_bOpen = false;    // open, and its device answers
    // Why the port did not open the last time it was opened; "" when it did.
    std::string m_strProblem;
    // The device each of COM1..COM4 stands for.
    std::array<std::string, 4> m_portDevices;

    // The device's own name: the last part of its path.
    std::string DeviceName() const;
    // "COM1 is /dev/ttyUSB0: open", or ": not open" and the reason on a line of its own.
    std::string Tip() const;
    // "COM2 is /dev/ttyS1", for the port button of that index.
    std::string PortTip(int index) const;
};

class CPortLine {
public:
    // Opens the port of this name ("COM1" to "COM4") and returns why it did not open, or "" when
    // it did.
    using Opener = std::function<std::string(const std::string& name)>;
    // Whether the chosen port is open and its device still answers.
    using Probe = std::function<bool()>;

    // The program's port with its codec, and the port choice with the profile's path; by
    // default the port is opened on the device the profile maps it to and probed itself.
    CPortLine(CSerialPort& port, FrameCodec& codec, PortSettings& settings);
    void SetOpener(Opener opener) { m_opener = std::move(opener); }
    void SetProbe(Probe probe) { m_probe = std::move(probe); }

    int Index() const { return m_settings.PortIndex; }
    // A port button: chooses the port, opens it and writes the choice to the profile, even when
    // it was chosen already.
    void Select(int index);
    // Opens the chosen port (the start, another library, the ports dialog's new mapping).
    void Open();
    // When the window becomes the active one: a port shown open whose device has gone is opened
    // again (an adapter plugged in again answers only on a new open).
    void ReopenIfGone();
    // Before a transfer: the port is opened again when it is not open or the last transfer on it
    // failed, so that an adapter unplugged and plugged in again works at once.
    void PrepareTransfer();
    // Before a transfer of a screen: the screen's own port (its Port.txt) when it has one, else
    // the chosen COM port as PrepareTransfer opens it. A choice with a problem opens nothing:
    // the transfer is not to start. After a transfer on a screen's own port, TransferEnded opens
    // the chosen COM port again, so that the port line shows what it names.
    PortChoice PrepareTransferFor(const ScreenPort& own);
    void TransferEnded(TransferResult result);
    // Looks at the port now: what the line shows, which the next ReopenIfGone compares with.
    PortLineState Check();
    // Why the chosen port did not open the last time; "" when it did.
    const std::string& Problem() const { return m_strProblem; }

    // Tries the link check on each candidate in turn (FindProcessor), the chosen port on the
    // port the window holds, so that it is not refused as in use by the window itself.
    std::vector<std::string> FindProcessor(const std::vector<std::string>& candidates,
                                           const std::function<void(const std::string&)>& progress);

    // The line trace: on or off, its file, and the file a transfer writes ("" when off).
    void SetTrace(bool bOn, std::string strPath);
    bool IsTracing() const { return m_bTrace; }
    const std::string& TracePath() const { return m_strTracePath; }
    std::string TraceFileInUse() const { return m_bTrace ? m_strTracePath : std::string(); }

private:
    bool IsOpenNow() const { return m_probe && m_probe(); }

    CSerialPort& m_port;
    FrameCodec& m_codec;
    PortSettings& m_settings;
    Opener m_opener;
    Probe m_probe;
    std::string m_strProblem;
    // What the line showed at the last Check.
    bool m_bShownOpen = false;
    bool m_bLastTransferFailed = false;
    bool m_bOnScreensPort = false; // the port is open on a screen's own port
    bool m_bTrace = false;
    std::string m_strTracePath;
};
