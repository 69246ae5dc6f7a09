#include "control/transfer_runner.h"

#include "image/file_error.h"
#include "image/settings_compare.h"
#include "library/screen_store.h"
#include "library/site_log.h"
#include "link/device_link.h"
#include "link/line_trace.h"
#include "link/serial_port.h"
#include "link/trace_file.h"

#include <memory>

namespace {

// The window's report with the screen's line below the Send warning.
class SendLineObserver : public TransferObserver {
public:
    SendLineObserver(TransferObserver& report, std::string strLine)
        : m_report(report), m_strLine(std::move(strLine)) {}
    void OnProgress(int nPos) override { m_report.OnProgress(nPos); }
    void OnStatus(const std::string& strText) override { m_report.OnStatus(strText); }
    void OnFileError(const std::string& strMessage) override { m_report.OnFileError(strMessage); }
    bool ConfirmOverwrite(const std::string& strQuestion) override {
        return m_report.ConfirmOverwrite(strQuestion);
    }
    bool ConfirmSend(const std::string& strWarning) override {
        return m_report.ConfirmSend(m_strLine.empty() ? strWarning
                                                      : strWarning + "\n\n" + m_strLine);
    }
    void OnReason(const std::string& strReason) override { m_report.OnReason(strReason); }

private:
    TransferObserver& m_report;
    std::string m_strLine;
};

constexpr const char* kOtherBlockOffer = "The VRX-3KM did not take every block as it was sent. "
                                         "Compare the processor with the stored settings now?";
constexpr const char* kVerifyOffer = "Compare the processor with the stored settings now?";

} // namespace

CTransferRunner::CTransferRunner(CSerialPort& port, FrameCodec& codec, SettingsImage& image,
                                 std::filesystem::path root)
    : m_port(port), m_codec(codec), m_image(image), m_root(std::move(root)) {}

CTransferRunner::~CTransferRunner() {
    if (m_thread.joinable())
        m_thread.join();
}

std::string CTransferRunner::SendLine(const ScreenTarget& target, const std::string& strDate,
                                      const std::string& strTime) {
    return "To: " + ScreenText(target) + ", settings stored " + strDate + " " + strTime;
}

bool CTransferRunner::Start(TransferKind kind, const ScreenTarget& target, std::string strSendLine,
                            std::string strTraceFile, TransferReport& report) {
    if (m_bRunning)
        return false;
    if (m_thread.joinable())
        m_thread.join();
    m_bVerify = m_bVerifyOffered && kind == TransferKind::Compare &&
                target.m_strCircuit == m_target.m_strCircuit &&
                target.m_strTheater == m_target.m_strTheater &&
                target.m_strScreen == m_target.m_strScreen;
    m_bVerifyOffered = false;
    m_kind = kind;
    m_target = target;
    m_bRunning = true;
    m_thread = std::thread([this, kind, target, strSendLine = std::move(strSendLine),
                            strTraceFile = std::move(strTraceFile), &report] {
        SendLineObserver observer(report, strSendLine);
        report.OnJobEnded(Run(kind, target, strTraceFile, observer));
    });
    return true;
}

TransferResult CTransferRunner::Run(TransferKind kind, const ScreenTarget& target,
                                    const std::string& strTraceFile, TransferObserver& observer) {
    // The line, with the trace between when one is asked for. A trace that cannot be opened or
    // written is reported after the transfer, which it never fails.
    std::string strTraceProblem;
    std::unique_ptr<TraceFile> trace;
    std::unique_ptr<TracingLine> tracing;
    if (!strTraceFile.empty())
        trace = TraceFile::Open(strTraceFile, m_root, strTraceProblem);
    if (trace)
        tracing = std::make_unique<TracingLine>(m_port, *trace);
    SerialDeviceLink link(tracing ? static_cast<SerialLine&>(*tracing) : m_port, m_codec);
    ScreenStore store(m_root);
    TransferResult result = TransferResult::Success;
    switch (kind) {
    case TransferKind::Load:
        result = RunLoad(link, m_image, target, store, observer);
        break;
    case TransferKind::Send:
        result = RunSend(link, m_image, target, store, observer);
        break;
    case TransferKind::Compare:
        result = RunRead(link, m_processorImage, observer);
        if (m_bVerify)
            LogVerify(result, store, target, observer);
        break;
    }
    tracing.reset();
    if (trace)
        strTraceProblem = trace->Problem();
    if (!strTraceProblem.empty())
        observer.OnReason(strTraceProblem);
    return result;
}

void CTransferRunner::LogVerify(TransferResult result, ScreenStore& store,
                                const ScreenTarget& target, TransferObserver& observer) {
    std::string strResult = std::string(kVerifyReadFailed);
    if (result == TransferResult::Success) {
        try {
            SettingsImage stored;
            store.LoadSettings(target, stored);
            strResult = VerifyResultText(CompareSettings(stored, m_processorImage).size());
        } catch (const FileError& error) {
            strResult = "error: " + error.Message();
        }
    }
    const std::string problem = store.LogCommand(target, std::string(kVerifyAction), strResult);
    if (!problem.empty())
        observer.OnReason(problem);
}

void CTransferRunner::Finish(TransferResult result) {
    if (m_thread.joinable())
        m_thread.join();
    m_result = result;
    m_bRunning = false;
}

TransferFollowUp CTransferRunner::FollowUp(Prompt& prompt) {
    // The processor took another audio block than the one sent: what it holds is worth a look
    // at once.
    if (m_kind == TransferKind::Send && m_result == TransferResult::OtherBlockTaken) {
        m_bVerifyOffered = Confirm(prompt, kOtherBlockOffer, prompt.ProgramCaption(),
                                   PromptIcon::Exclamation, false);
        return m_bVerifyOffered ? TransferFollowUp::CompareNow : TransferFollowUp::None;
    }
    if (m_result != TransferResult::Success)
        return TransferFollowUp::None;
    if (m_kind == TransferKind::Compare)
        return TransferFollowUp::ShowDifferences;
    // Verify: the processor read back and compared with what was sent.
    m_bVerifyOffered =
        m_kind == TransferKind::Send &&
        Confirm(prompt, kVerifyOffer, prompt.ProgramCaption(), PromptIcon::None, false);
    return m_bVerifyOffered ? TransferFollowUp::CompareNow : TransferFollowUp::None;
}
