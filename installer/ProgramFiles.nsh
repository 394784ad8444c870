; What Kestrune installs into its program folder, in one place. Both architectures install the
; same names, each from its own output folder; the uninstaller removes the same list.

; The files of the program folder: ${DO} is a macro taking one file name.
!macro KestForEachProgramFile DO
  !insertmacro ${DO} kestbar.dll
  !insertmacro ${DO} kestshx.dll
  !insertmacro ${DO} kestconf.exe
  !insertmacro ${DO} kestfloat.exe
  !insertmacro ${DO} kesthelp.chm
  !insertmacro ${DO} contributors.txt
!macroend

; The in-process COM servers among them, registered after copying and unregistered before
; removing (through their DllRegisterServer and DllUnregisterServer).
!macro KestForEachServer DO
  !insertmacro ${DO} kestbar.dll
  !insertmacro ${DO} kestshx.dll
!macroend

; The Start Menu shortcuts, in the folder $SMPROGRAMS\${KEST_STARTMENU_FOLDER}: ${DO} takes the
; shortcut's name (without ".lnk") and the installed file it opens.
!macro KestForEachShortcut DO
  !insertmacro ${DO} "Kestrune Settings" kestconf.exe
  !insertmacro ${DO} "Kestrune Floating Bar" kestfloat.exe
  !insertmacro ${DO} "Kestrune Help" kesthelp.chm
!macroend
