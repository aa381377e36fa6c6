#include "report/mapi_library.h"

bool MapiLibrary::Load() {
    module_ = Module::LoadQuietly("MAPI32.DLL");
    sendMail_ = module_.Find<simple_mapi::MAPISendMailFn>("MAPISendMail");
    return CanSendMail();
}

ULONG MapiLibrary::SendMail(ULONG_PTR uiParam, simple_mapi::MapiMessage* message, ULONG flags) const {
    if (!sendMail_) return simple_mapi::kFailure;
    return sendMail_(0, uiParam, message, flags, 0);
}
