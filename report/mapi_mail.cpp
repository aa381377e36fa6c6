#include "report/mapi_mail.h"

#include <cstring>
#include <memory>
#include <new>

#include "common/text.h"
#include "report/mapi_library.h"
#include "report/simple_mapi.h"

namespace {

// Each header text goes to MAPI as a copy of its own of this size.
constexpr size_t kTextSize = 520;
constexpr size_t kMaxTextLength = kTextSize - 3;

// A zero-filled copy of a text for MAPI, cut to kMaxTextLength characters.
struct MapiText {
    explicit MapiText(const char* source) {
        // Never half a double-byte character at the end.
        const size_t length = text::CutLength(source, kMaxTextLength);
        if (length) std::memcpy(text, source, length);
    }
    char text[kTextSize] = {};
};

// The owner behaves as the mail client's modal parent while it is up: it
// holds the mouse capture and stays disabled, so no second send can start;
// afterwards it is enabled and activated again.
class ModalOwner {
public:
    explicit ModalOwner(HWND owner) : owner_(owner) {
        if (!owner_) return;
        SetCapture(owner_);
        SetFocus(nullptr);
        EnableWindow(owner_, FALSE);
    }
    ~ModalOwner() {
        if (!owner_) return;
        ReleaseCapture();
        EnableWindow(owner_, TRUE);
        SetActiveWindow(nullptr);
        SetActiveWindow(owner_);
        SetFocus(owner_);
    }
    ModalOwner(const ModalOwner&) = delete;
    ModalOwner& operator=(const ModalOwner&) = delete;

private:
    HWND owner_;
};

bool IsEmpty(const char* text) { return !text || *text == '\0'; }

}  // namespace

bool SendMailMessage(HWND owner, const char* address, const char* name, const char* subject, const char* body) {
    if (IsEmpty(address)) return false;
    MapiLibrary mapi;
    if (!mapi.Load()) return false;

    MapiText addressText(address), nameText(name), subjectText(subject);
    simple_mapi::MapiRecipDesc recipient = {};
    recipient.ulRecipClass = simple_mapi::kRecipientTo;
    recipient.lpszName = IsEmpty(name) ? nullptr : nameText.text;
    recipient.lpszAddress = addressText.text;

    // The body is not cut: it is the report itself. Without room for its
    // copy there is no mail.
    std::unique_ptr<char[]> note;
    if (!IsEmpty(body)) {
        const size_t length = std::strlen(body);
        note.reset(new (std::nothrow) char[length + 10]());
        if (!note) return false;
        std::memcpy(note.get(), body, length);
    }

    simple_mapi::MapiMessage message = {};
    message.lpszSubject = IsEmpty(subject) ? nullptr : subjectText.text;
    message.lpszNoteText = note.get();
    message.nRecipCount = 1;
    message.lpRecips = &recipient;

    ULONG result = 0;
    {
        const ModalOwner modal(owner);
        result =
            mapi.SendMail(reinterpret_cast<ULONG_PTR>(owner), &message, simple_mapi::kLogonUi | simple_mapi::kDialog);
    }
    return result == simple_mapi::kSuccess;
}
