#include "control/prompt.h"

void Tell(Prompt& prompt, const std::string& strText, const std::string& strCaption,
          PromptIcon icon) {
    PromptRequest request;
    request.m_strText = strText;
    request.m_strCaption = strCaption;
    request.m_nIcon = icon;
    prompt.Ask(request);
}

bool Confirm(Prompt& prompt, const std::string& strText, const std::string& strCaption,
             PromptIcon icon, bool bCancelDefault) {
    PromptRequest request;
    request.m_strText = strText;
    request.m_strCaption = strCaption;
    request.m_nButtons = PromptButtons::OkCancel;
    request.m_bCancelDefault = bCancelDefault;
    request.m_nIcon = icon;
    return prompt.Ask(request) == PromptAnswer::Ok;
}

void ShowFileError(Prompt& prompt, const std::string& strMessage) {
    Tell(prompt, strMessage, prompt.ProgramCaption(), PromptIcon::Stop);
}
