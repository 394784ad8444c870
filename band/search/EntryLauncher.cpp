#include "EntryLauncher.h"
#include "ModuleFolder.h"
#include "ShellRun.h"
#include "SystemSounds.h"
#include "kestentry/ControlPanelItems.h"
#include "kestentry/EntryForms.h"
#include "kestentry/SystemCommands.h"
#include "resource.h"

namespace kest {

namespace {

LaunchOutcome outcome(bool started) { return started ? LaunchOutcome::Started : LaunchOutcome::Failed; }

LaunchOutcome launchSystemCommand(const ShortcutEntry& entry, const wchar_t* verb, HWND owner) {
    SystemCommand command;
    // Nothing runs "as administrator" here: the commands act for the signed-in user.
    if (verb || !systemCommandOf(entry.path, command)) {
        playSystemSound(SystemSound::Hand);
        return LaunchOutcome::Refused;
    }
    if (const wchar_t* question = systemCommandQuestion(command)) {
        wchar_t caption[64] = {};
        LoadStringW(bandModule(), IDS_PRODUCT_NAME, caption, 64);
        if (MessageBoxW(owner, question, caption, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
            return LaunchOutcome::Declined;
    }
    return outcome(runSystemCommand(command, *currentSystemCalls(), owner));
}

}  // namespace

LaunchOutcome launchEntry(const ShortcutEntry& entry, const wchar_t* verb, HWND owner) {
    switch (entryFormOf(entry.path)) {
    case EntryForm::File:
    case EntryForm::PackagedApp:
        return outcome(shellRun(entry.executable, entry.arguments.c_str(), entry.workingdir.c_str(), entry.showcmd, verb));
    case EntryForm::SettingsPage:
        // The Settings app has no elevated start: Ctrl+Shift+Enter opens the page as Enter does.
        return outcome(shellRun(entry.executable, nullptr, nullptr, SW_SHOWNORMAL));
    case EntryForm::ControlPanelItem:
        // An item has no elevated start of its own: Ctrl+Shift+Enter starts it as Enter does.
        return outcome(startControlPanelItem(entry.path, SW_SHOWNORMAL));
    case EntryForm::SystemCommand:
        return launchSystemCommand(entry, verb, owner);
    }
    return LaunchOutcome::Failed;
}

}  // namespace kest
