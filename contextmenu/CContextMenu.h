#pragma once
// The shell's context-menu handler: one object per right-click, initialised with the
// selection, asked for its items, and possibly invoked. Settings are read afresh for
// every menu and every command.
#include "ComObject.h"
#include "ComPtr.h"
#include "UniqueHandle.h"
#include <shlobj.h>
#include <string>

namespace kest {

class CContextMenu : public ComObject<CContextMenu, IContextMenu, IShellExtInit> {
public:
    CContextMenu() noexcept;
    static const InterfaceEntry* interfaceTable() noexcept;

    // IShellExtInit
    STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY progId) override;

    // IContextMenu
    STDMETHODIMP QueryContextMenu(HMENU menu, UINT index, UINT firstId, UINT lastId, UINT flags) override;
    STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override;
    STDMETHODIMP GetCommandString(UINT_PTR offset, UINT kind, UINT* reserved, CHAR* buffer, UINT length) override;

private:
    void insertItem(HMENU menu, UINT& position, UINT firstId, unsigned int offset) const;
    void buildFolderMenu(HMENU menu, UINT position, UINT firstId) const;
    void buildFileMenu(HMENU menu, UINT position, UINT firstId) const;
    bool isRunFileType() const;

    void copyPathToClipboard(HWND owner, bool shortForm) const;
    void openCommandWindow(HWND owner) const;
    void runWithArguments(HWND owner) const;

    ComPtr<IDataObject> dataObject_;
    bool hasSelection_ = false;
    std::wstring selectedPath_;  // at most 259 characters
    UniqueHBitmap menuBitmap_;   // both check marks of every item
};

}  // namespace kest
