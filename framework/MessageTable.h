#pragma once
// Message tables: a declarative list inside a window class maps a window message, a
// control id and a notification code to a typed handler, and chains to the base class's
// table. Unhandled messages fall to the base table, then to the default procedure.
//
//   KEST_BEGIN_MESSAGE_TABLE(CMyDialog, kest::CDialog)
//       KEST_ON_MESSAGE(WM_INITDIALOG, OnInitDialog)      // LRESULT OnInitDialog(WPARAM, LPARAM)
//       KEST_ON_COMMAND(IDOK, BN_CLICKED, OnOk)           // void OnOk(UINT code, UINT id, HWND control)
//       KEST_ON_NOTIFY(IDC_LIST, LVN_ITEMCHANGED, OnItem) // LRESULT OnItem(NMHDR* header)
//   KEST_END_MESSAGE_TABLE()
#include <windows.h>

namespace kest {

constexpr UINT AnyCode = 0xFFFFFFFFu;
constexpr UINT AnyId = 0xFFFFFFFFu;

// One message as it travels through the tables. A handler that wants the default
// processing as well calls passToDefault() on its window.
struct MessageArgs {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
    bool handled = true;
};

class MessageTarget {
public:
    virtual ~MessageTarget() = default;
    // True when a table handled the message; args.result then holds its result.
    virtual bool processMessage(MessageArgs&) { return false; }

protected:
    // Called from a handler: the message continues to the base tables and the default procedure.
    void passToDefault() noexcept {
        if (current_) current_->handled = false;
    }
    MessageArgs* current_ = nullptr;  // the message being dispatched, for passToDefault
};

template <class T>
struct MessageTableEntry {
    enum class Kind { End, Message, Command, Notify };
    using MessageHandler = LRESULT (T::*)(WPARAM, LPARAM);
    using CommandHandler = void (T::*)(UINT code, UINT id, HWND control);
    using NotifyHandler = LRESULT (T::*)(NMHDR* header);

    Kind kind;
    UINT message;
    UINT id;
    UINT code;
    MessageHandler onMessage;
    CommandHandler onCommand;
    NotifyHandler onNotify;

    static MessageTableEntry message_(UINT message, MessageHandler handler) {
        return {Kind::Message, message, AnyId, AnyCode, handler, nullptr, nullptr};
    }
    static MessageTableEntry command_(UINT id, UINT code, CommandHandler handler) {
        return {Kind::Command, WM_COMMAND, id, code, nullptr, handler, nullptr};
    }
    static MessageTableEntry notify_(UINT id, UINT code, NotifyHandler handler) {
        return {Kind::Notify, WM_NOTIFY, id, code, nullptr, nullptr, handler};
    }
    static MessageTableEntry end_() { return {Kind::End, 0, 0, 0, nullptr, nullptr, nullptr}; }

    bool matches(const MessageArgs& args) const noexcept {
        if (args.message != message) return false;
        switch (kind) {
        case Kind::Message:
            return true;
        case Kind::Command:
            return (id == AnyId || id == LOWORD(args.wParam)) &&
                   (code == AnyCode || code == HIWORD(args.wParam));
        case Kind::Notify: {
            const auto* header = reinterpret_cast<const NMHDR*>(args.lParam);
            return header && (id == AnyId || id == header->idFrom) &&
                   (code == AnyCode || code == header->code);
        }
        case Kind::End:
            break;
        }
        return false;
    }
};

// Runs the first entry of the table that matches; false when none matched or the handler
// passed the message on.
template <class T>
bool dispatchTable(T& target, const MessageTableEntry<T>* table, MessageArgs& args, MessageArgs*& current) {
    using Entry = MessageTableEntry<T>;
    for (const Entry* entry = table; entry->kind != Entry::Kind::End; ++entry) {
        if (!entry->matches(args)) continue;
        MessageArgs* outer = current;
        current = &args;
        args.handled = true;
        switch (entry->kind) {
        case Entry::Kind::Message:
            args.result = (target.*entry->onMessage)(args.wParam, args.lParam);
            break;
        case Entry::Kind::Command:
            (target.*entry->onCommand)(HIWORD(args.wParam), LOWORD(args.wParam),
                                       reinterpret_cast<HWND>(args.lParam));
            args.result = 0;
            break;
        case Entry::Kind::Notify:
            args.result = (target.*entry->onNotify)(reinterpret_cast<NMHDR*>(args.lParam));
            break;
        case Entry::Kind::End:
            break;
        }
        current = outer;
        return args.handled;
    }
    return false;
}

}  // namespace kest

#define KEST_BEGIN_MESSAGE_TABLE(ThisClass, BaseClass)                                          \
public:                                                                                        \
    bool processMessage(::kest::MessageArgs& args) override {                                  \
        return ::kest::dispatchTable<ThisClass>(*this, messageTable(), args, current_) ||      \
               BaseClass::processMessage(args);                                                \
    }                                                                                          \
                                                                                               \
private:                                                                                       \
    static const ::kest::MessageTableEntry<ThisClass>* messageTable() {                        \
        using TableClass = ThisClass;                                                          \
        using Entry = ::kest::MessageTableEntry<ThisClass>;                                    \
        static const Entry table[] = {
#define KEST_ON_MESSAGE(message, handler) Entry::message_(message, &TableClass::handler),
#define KEST_ON_COMMAND(id, code, handler) Entry::command_(id, code, &TableClass::handler),
#define KEST_ON_COMMAND_ID(id, handler) Entry::command_(id, ::kest::AnyCode, &TableClass::handler),
#define KEST_ON_NOTIFY(id, code, handler) Entry::notify_(id, code, &TableClass::handler),
#define KEST_END_MESSAGE_TABLE() \
    Entry::end_()                \
    }                            \
    ;                            \
    return table;                \
    }                            \
                                 \
public:
