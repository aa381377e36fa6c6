#include "report/mapi_library.h"

#include "common/foreign_call.h"

namespace {

// MAPISendMail runs in the mail provider's code, which may be anybody's: a
// fault there is a mail not sent, not the end of the host.
struct SendMailCall {
    simple_mapi::MAPISendMailFn sendMail;
    ULONG_PTR uiParam;
    simple_mapi::MapiMessage* message;
    ULONG flags;
    ULONG result;
};

void CallSendMail(void* context) noexcept {
    auto* call = static_cast<SendMailCall*>(context);
    call->result = call->sendMail(0, call->uiParam, call->message, call->flags, 0);
}

}  // namespace

bool MapiLibrary::Load() {
    module_ = Module::LoadQuietly("MAPI32.DLL");
    sendMail_ = module_.Find<simple_mapi::MAPISendMailFn>("MAPISendMail");
    return CanSendMail();
}

ULONG MapiLibrary::SendMail(ULONG_PTR uiParam, simple_mapi::MapiMessage* message, ULONG flags) const {
    if (!sendMail_) return simple_mapi::kFailure;
    SendMailCall call = {sendMail_, uiParam, message, flags, simple_mapi::kFailure};
    if (!CallContained(CallSendMail, &call)) return simple_mapi::kFailure;
    return call.result;
}
