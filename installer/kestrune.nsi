; Kestrune setup: installs the search bar (kestbar.dll), the context-menu extension
; (kestshx.dll), the settings program, the help file and the contributors list into one
; folder, registers both libraries with the shell, creates the folder the search bar keeps its
; files in, adds Start Menu shortcuts and writes an uninstaller.
;
; One script, two setup programs, as well-kept Windows tools ship them:
; - kestrune-setup-x64.exe (KEST_X64_SETUP defined) is a 64-bit program for 64-bit Windows and
;   packs the x64 build, plus the x86 context-menu extension for the file dialogs of 32-bit
;   programs: it goes into the folder "x86" and is registered in the 32-bit registry view by
;   writing its keys, so that no 32-bit program has to run;
; - kestrune-setup.exe is a 32-bit program that runs on every Windows: on 64-bit Windows, where
;   Explorer is a 64-bit process, it installs the x64 build, registers it with the native
;   (64-bit) regsvr32 and keeps its own entries in the 64-bit registry view; on 32-bit Windows it
;   installs the x86 build and registers it with the regsvr32 there.
;
; The floating bar (kestfloat.exe) hosts the search bar where the taskbar cannot (Windows 11).
; Starting it with Windows is an option, on by default from Windows 11 (build 22000) on; the
; options /AUTOSTART and /NOAUTOSTART choose it for a silent installation.
;
; Silent use: "kestrune-setup.exe /S [/AUTOSTART|/NOAUTOSTART] [/D=folder]" and
; "uninstall.exe /S [/REMOVEUSERDATA]".
;
; Built by installer/CMakeLists.txt, which defines:
;   KEST_X86_BIN, KEST_X64_BIN   the files of the two builds, as they are packed (the 64-bit
;                                setup program takes only kestshx.dll of KEST_X86_BIN)
;   KEST_X64_SETUP               defined for the 64-bit setup program
;   KEST_OUTFILE                 the setup program to write
;   KEST_ICON                    the icon of the setup program and of the uninstaller

!ifdef KEST_X64_SETUP
  Target amd64-unicode
  ; ${RunningX64} is always true in a 64-bit program: LogicLib then leaves the label of the
  ; other branch unused.
  !pragma warning disable 6012
!else
  Unicode true
!endif
; The product's setup program is "kestrune-setup.exe"; NSIS warns about every output name that
; contains "setup" (Windows treats programs with such names specially).
!pragma warning disable 9000
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh
!include Sections.nsh
!include WinVer.nsh
!include ProgramFiles.nsh

; The version the about box shows.
!define KEST_VERSION "1.38"
!define KEST_PUBLISHER "Brindlewood"
!define KEST_WEB_PAGE "https://kestrune.brindlewood.example/"
!define KEST_STARTMENU_FOLDER "Kestrune"
!define KEST_UNINSTALLER "uninstall.exe"
!define KEST_UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrune"
; The user's own data: the settings of all three programs, and the search bar's files.
!define KEST_SETTINGS_KEY "Software\Brindlewood\Kestrune"
!define KEST_DATA_FOLDER "Brindlewood\Kestrune"
; The per-user Run value that starts the floating bar when the user signs in.
!define KEST_RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define KEST_RUN_VALUE "Kestrune Floating Bar"
; The context-menu handler's class and what its DllRegisterServer writes (contextmenu/), for the
; 32-bit copy that the 64-bit setup program registers itself.
!define KEST_SHX_CLASS "{B65F196D-E650-466A-9B02-AB02B0DD2A87}"
!define KEST_SHX_NAME "KESTSHX"
!define KEST_SHX_X86 "x86\kestshx.dll"
!define KEST_APPROVED_KEY "Software\Microsoft\Windows\CurrentVersion\Shell Extensions\Approved"

Name "Kestrune"
OutFile "${KEST_OUTFILE}"
BrandingText "Kestrune ${KEST_VERSION}"
; No InstallDir: .onInit picks the default folder only when /D= gave none.
ShowInstDetails show
ShowUninstDetails show

!define MUI_ICON "${KEST_ICON}"
!define MUI_UNICON "${KEST_ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_SMALLDESC

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "Kestrune is installed"
!define MUI_FINISHPAGE_TEXT "To show the search bar, right-click the taskbar, point to Toolbars and click Kestrune.$\r$\n$\r$\nThe context-menu commands appear the next time you right-click a file or a folder."
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\kesthelp.chm"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Show the help"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${KEST_VERSION}.0.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} ProductName "Kestrune"
VIAddVersionKey /LANG=${LANG_ENGLISH} CompanyName "${KEST_PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} FileDescription "Kestrune Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} FileVersion "${KEST_VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} ProductVersion "${KEST_VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} LegalCopyright "Copyright Brindlewood"

; ---------------------------------------------------------------------------------------------
; Steps used by the sections, one file or library each (see ProgramFiles.nsh for the lists).

; Copies one file of ${KEST_SOURCE} into the program folder.
!macro KestInstallFile NAME
  StrCpy $R0 "${NAME}"
  Call MoveAsideIfInUse
  File "/oname=${NAME}" "${KEST_SOURCE}/${NAME}"
!macroend

!macro KestRegisterServer NAME
  StrCpy $R0 "${NAME}"
  Call RegisterServer
!macroend

!macro KestCreateShortcut NAME TARGET
  CreateShortcut "$SMPROGRAMS\${KEST_STARTMENU_FOLDER}\${NAME}.lnk" "$INSTDIR\${TARGET}"
!macroend

!macro KestUnregisterServer NAME
  StrCpy $R0 "${NAME}"
  Call un.UnregisterServer
!macroend

; A library that Explorer still holds is deleted when Windows restarts.
!macro KestRemoveFile NAME
  Delete /REBOOTOK "$INSTDIR\${NAME}"
!macroend

!macro KestRemoveShortcut NAME TARGET
  Delete "$SMPROGRAMS\${KEST_STARTMENU_FOLDER}\${NAME}.lnk"
!macroend

; ---------------------------------------------------------------------------------------------
; Installer

Section "Kestrune" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
!ifdef KEST_X64_SETUP
  !define /redef KEST_SOURCE "${KEST_X64_BIN}"
  !insertmacro KestForEachProgramFile KestInstallFile
  CreateDirectory "$INSTDIR\x86"
  StrCpy $R0 "${KEST_SHX_X86}"
  Call MoveAsideIfInUse
  File "/oname=${KEST_SHX_X86}" "${KEST_X86_BIN}/kestshx.dll"
!else
  ${If} ${RunningX64}
    !define /redef KEST_SOURCE "${KEST_X64_BIN}"
    !insertmacro KestForEachProgramFile KestInstallFile
  ${Else}
    !define /redef KEST_SOURCE "${KEST_X86_BIN}"
    !insertmacro KestForEachProgramFile KestInstallFile
  ${EndIf}
!endif
  WriteUninstaller "$INSTDIR\${KEST_UNINSTALLER}"
  Call WriteUninstallEntry
  !insertmacro KestForEachServer KestRegisterServer
!ifdef KEST_X64_SETUP
  Call Register32BitContextMenu
!endif
  ; The search bar keeps its index and launch history here and never creates the folder.
  SetShellVarContext current
  CreateDirectory "$APPDATA\${KEST_DATA_FOLDER}"
SectionEnd

Section "Start Menu shortcuts" SecShortcuts
  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\${KEST_STARTMENU_FOLDER}"
  !insertmacro KestForEachShortcut KestCreateShortcut
SectionEnd

; For the user who runs the setup program, like the data folder.
Section /o "Start the floating bar with Windows" SecAutoStart
  WriteRegStr HKCU "${KEST_RUN_KEY}" "${KEST_RUN_VALUE}" '"$INSTDIR\kestfloat.exe"'
SectionEnd

LangString DESC_SecProgram ${LANG_ENGLISH} "The search bar for the taskbar, the context-menu commands, the settings program and the help."
LangString DESC_SecShortcuts ${LANG_ENGLISH} "Kestrune Settings, Kestrune Floating Bar and Kestrune Help in the Start Menu of all users."
LangString DESC_SecAutoStart ${LANG_ENGLISH} "Starts the floating bar, the search bar for taskbars without toolbars (Windows 11), when you sign in."

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} $(DESC_SecProgram)
  !insertmacro MUI_DESCRIPTION_TEXT ${SecShortcuts} $(DESC_SecShortcuts)
  !insertmacro MUI_DESCRIPTION_TEXT ${SecAutoStart} $(DESC_SecAutoStart)
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
  ${If} $INSTDIR == ""
    ; An update goes where the installed version is.
    ReadRegStr $R0 HKLM "${KEST_UNINSTALL_KEY}" "InstallLocation"
    ${If} $R0 != ""
      StrCpy $INSTDIR $R0
    ${ElseIf} ${RunningX64}
      StrCpy $INSTDIR "$PROGRAMFILES64\Kestrune"
    ${Else}
      StrCpy $INSTDIR "$PROGRAMFILES\Kestrune"
    ${EndIf}
  ${EndIf}
  ; The taskbar of Windows 11 hosts no toolbars: there the floating bar starts with Windows
  ; unless the user says otherwise.
  ${WinVerGetBuild} $R0
  ${If} $R0 >= 22000
    !insertmacro SelectSection ${SecAutoStart}
  ${EndIf}
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/AUTOSTART" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecAutoStart}
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/NOAUTOSTART" $R1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecAutoStart}
  ${EndIf}
FunctionEnd

; $R0: a file name in the program folder. A library that Explorer has loaded cannot be
; overwritten, but it can be renamed: it is moved aside and deleted when Windows restarts.
Function MoveAsideIfInUse
  ${IfNot} ${FileExists} "$INSTDIR\$R0"
    Return
  ${EndIf}
  ClearErrors
  Delete "$INSTDIR\$R0"
  ${If} ${Errors}
    GetTempFileName $R1 "$INSTDIR"
    Delete "$R1"
    Rename "$INSTDIR\$R0" "$R1"
    Delete /REBOOTOK "$R1"
  ${EndIf}
FunctionEnd

; $R0: a library in the program folder. Runs its DllRegisterServer through the regsvr32 of the
; system's own bitness; a failure stops the installation.
Function RegisterServer
  StrCpy $R1 ""
  ClearErrors
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
  ${EndIf}
  ExecWait '"$SYSDIR\regsvr32.exe" /s "$INSTDIR\$R0"' $R1
  ${If} ${RunningX64}
    ${EnableX64FSRedirection}
  ${EndIf}
  ${If} ${Errors}
  ${OrIf} $R1 != 0
    DetailPrint "Registering $R0 failed ($R1)."
    MessageBox MB_OK|MB_ICONSTOP "Kestrune could not register $INSTDIR\$R0 with Windows (regsvr32 ended with $R1)." /SD IDOK
    Abort
  ${EndIf}
  DetailPrint "Registered $R0."
FunctionEnd

!ifdef KEST_X64_SETUP
; Writes in the 32-bit view what the x86 kestshx.dll's DllRegisterServer would write, step for
; step; a key that cannot be written stops the installation, as there.
Function Register32BitContextMenu
  SetRegView 32
  ClearErrors
  WriteRegStr HKCR "CLSID\${KEST_SHX_CLASS}" "" "${KEST_SHX_NAME}"
  WriteRegStr HKCR "CLSID\${KEST_SHX_CLASS}\InprocServer32" "" "$INSTDIR\${KEST_SHX_X86}"
  WriteRegStr HKCR "CLSID\${KEST_SHX_CLASS}\InprocServer32" "ThreadingModel" "Apartment"
  WriteRegStr HKCR "CLSID\${KEST_SHX_CLASS}\DefaultIcon" "" "$INSTDIR\${KEST_SHX_X86},0"
  WriteRegStr HKCR "*\shellex\ContextMenuHandlers\${KEST_SHX_CLASS}" "" "${KEST_SHX_NAME}"
  WriteRegStr HKCR "Folder\shellex\ContextMenuHandlers\${KEST_SHX_CLASS}" "" "${KEST_SHX_NAME}"
  WriteRegStr HKLM "${KEST_APPROVED_KEY}" "${KEST_SHX_CLASS}" "${KEST_SHX_NAME}"
  ${If} ${Errors}
    SetRegView 64
    DetailPrint "Registering ${KEST_SHX_X86} failed."
    MessageBox MB_OK|MB_ICONSTOP "Kestrune could not register $INSTDIR\${KEST_SHX_X86} with Windows." /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
  DetailPrint "Registered ${KEST_SHX_X86}."
FunctionEnd
!endif

Function WriteUninstallEntry
  WriteRegStr HKLM "${KEST_UNINSTALL_KEY}" "DisplayName" "Kestrune"
  WriteRegStr HKLM "${KEST_UNINSTALL_KEY}" "DisplayVersion" "${KEST_VERSION}"
  WriteRegStr HKLM "${KEST_UNINSTALL_KEY}" "Publisher" "${KEST_PUBLISHER}"
  WriteRegStr HKLM "${KEST_UNINSTALL_KEY}" "URLInfoAbout" "${KEST_WEB_PAGE}"
  WriteRegStr HKLM "${KEST_UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kestconf.exe,0"
  WriteRegStr HKLM "${KEST_UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${KEST_UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${KEST_UNINSTALLER}"'
  WriteRegStr HKLM "${KEST_UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${KEST_UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${KEST_UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${KEST_UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $R0 $R1 $R2
  WriteRegDWORD HKLM "${KEST_UNINSTALL_KEY}" "EstimatedSize" $R0
FunctionEnd

; ---------------------------------------------------------------------------------------------
; Uninstaller

Section "un.Kestrune" SecUnProgram
  SectionIn RO
  Call un.CloseFloatingBar
  DeleteRegValue HKCU "${KEST_RUN_KEY}" "${KEST_RUN_VALUE}"
  !insertmacro KestForEachServer KestUnregisterServer
!ifdef KEST_X64_SETUP
  Call un.Unregister32BitContextMenu
!endif
  !insertmacro KestForEachProgramFile KestRemoveFile
!ifdef KEST_X64_SETUP
  Delete /REBOOTOK "$INSTDIR\${KEST_SHX_X86}"
  RMDir /REBOOTOK "$INSTDIR\x86"
!endif
  Delete "$INSTDIR\${KEST_UNINSTALLER}"
  RMDir /REBOOTOK "$INSTDIR"
  SetShellVarContext all
  !insertmacro KestForEachShortcut KestRemoveShortcut
  RMDir "$SMPROGRAMS\${KEST_STARTMENU_FOLDER}"
  DeleteRegKey HKLM "${KEST_UNINSTALL_KEY}"
SectionEnd

; Only the settings and files of the user who runs the uninstaller.
Section /o "un.My settings and files" SecUnUserData
  SetShellVarContext current
  DeleteRegKey HKCU "${KEST_SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Brindlewood"
  RMDir /r "$APPDATA\${KEST_DATA_FOLDER}"
  RMDir "$APPDATA\Brindlewood"
SectionEnd

LangString DESC_SecUnProgram ${LANG_ENGLISH} "Unregisters Kestrune and removes its program folder and Start Menu shortcuts."
LangString DESC_SecUnUserData ${LANG_ENGLISH} "Also deletes your Kestrune settings and the search bar's files (index and launch history)."

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecUnProgram} $(DESC_SecUnProgram)
  !insertmacro MUI_DESCRIPTION_TEXT ${SecUnUserData} $(DESC_SecUnUserData)
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END

Function un.onInit
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/REMOVEUSERDATA" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecUnUserData}
  ${EndIf}
FunctionEnd

; $R0: a library in the program folder. Runs its DllUnregisterServer; a failure is reported in
; the details and the removal goes on.
Function un.UnregisterServer
  StrCpy $R1 ""
  ClearErrors
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
  ${EndIf}
  ExecWait '"$SYSDIR\regsvr32.exe" /s /u "$INSTDIR\$R0"' $R1
  ${If} ${RunningX64}
    ${EnableX64FSRedirection}
  ${EndIf}
  ${If} ${Errors}
  ${OrIf} $R1 != 0
    DetailPrint "Unregistering $R0 failed ($R1)."
  ${Else}
    DetailPrint "Unregistered $R0."
  ${EndIf}
FunctionEnd

!ifdef KEST_X64_SETUP
; Removes from the 32-bit view what Register32BitContextMenu wrote, as DllUnregisterServer would.
Function un.Unregister32BitContextMenu
  SetRegView 32
  DeleteRegKey HKCR "CLSID\${KEST_SHX_CLASS}"
  DeleteRegKey HKCR "*\shellex\ContextMenuHandlers\${KEST_SHX_CLASS}"
  DeleteRegKey HKCR "Folder\shellex\ContextMenuHandlers\${KEST_SHX_CLASS}"
  DeleteRegValue HKLM "${KEST_APPROVED_KEY}" "${KEST_SHX_CLASS}"
  SetRegView 64
  DetailPrint "Unregistered ${KEST_SHX_X86}."
FunctionEnd
!endif

; A running floating bar holds kestfloat.exe and the search bar's library: ask it to exit
; (its "Exit" command) and give it a few seconds to release the band.
Function un.CloseFloatingBar
  StrCpy $R1 0
  ${Do}
    FindWindow $R0 "KestruneFloatingBar"
    ${If} $R0 == 0
      ${Break}
    ${EndIf}
    ${If} $R1 == 0
      SendMessage $R0 ${WM_COMMAND} 4003 0 /TIMEOUT=5000
    ${EndIf}
    IntOp $R1 $R1 + 1
    ${If} $R1 > 50
      ${Break}
    ${EndIf}
    Sleep 100
  ${Loop}
FunctionEnd
