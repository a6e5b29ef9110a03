; The Windows installer, built by scripts/dist.sh with makensis:
;   makensis -DARCH=i686|x86_64 -DVERSION=2.0.1 -DFILE_VERSION=2.0.1.0 -DPRODUCT_VERSION=2.0.0.0
;            -DPAYLOAD=<folder with the packaged files> -DOUTFILE=<installer> installer/vigilamp.nsi
;
; The settings file lives beside vigilamp.exe, so the program must sit in a folder its user can write to: the
; installer installs for the current user only, into their own programs folder, and never asks for elevation.
; The x86_64 installer is built on NSIS's 64-bit stub: 32-bit Windows refuses to start it at all, and it reads
; and writes the 64-bit registry view that the x86_64 program uses. The i686 installer is a 32-bit program and,
; like the i686 program, sees the 32-bit view.

!macro Require NAME
  !ifndef ${NAME}
    !error "makensis -D${NAME}=... is missing"
  !endif
!macroend
!insertmacro Require ARCH
!insertmacro Require VERSION
!insertmacro Require FILE_VERSION
!insertmacro Require PRODUCT_VERSION
!insertmacro Require PAYLOAD
!insertmacro Require OUTFILE

!if "${ARCH}" == "x86_64"
  Target amd64-unicode
!else if "${ARCH}" == "i686"
  Target x86-unicode
!else
  !error "ARCH must be i686 or x86_64"
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define PRODUCT "Vigilamp Rizu!"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vigilamp Rizu"
; The start-up registration the program writes (its "Start with Windows" box).
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Vigilamp Rizu"
; The program's main window, hidden while it runs in the notification area.
!define MAIN_CLASS "TfrmMain"
!define MAIN_TITLE "Vigilamp Rizu!"
!define SHORTCUT "$SMPROGRAMS\Vigilamp Rizu!.lnk"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Vigilamp Rizu"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${PRODUCT_VERSION}"
VIFileVersion "${FILE_VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup (${ARCH})"
VIAddVersionKey /LANG=1033 "FileVersion" "${FILE_VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${PRODUCT_VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (c) the Vigilamp Rizu! developers, MIT licence"

!define MUI_ICON "${__FILEDIR__}\..\assets\vigilamp.ico"
!define MUI_UNICON "${__FILEDIR__}\..\assets\vigilamp.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\vigilamp.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT} (it shows its icon in the notification area)"
!insertmacro MUI_PAGE_LICENSE "${PAYLOAD}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; A running copy keeps vigilamp.exe open, so it can be neither replaced nor removed: ask the user to exit it.
; Silently (/S) the answer is Cancel and the run ends with exit code 2.
!macro RefuseWhileRunning
  ${Do}
    FindWindow $0 "${MAIN_CLASS}" "${MAIN_TITLE}"
    ${If} $0 = 0
      ${Break}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "${PRODUCT} is running. Exit it (Vigilamp > Exit, or its notification-area icon), then press Retry." \
      /SD IDCANCEL IDRETRY +3
    SetErrorLevel 2
    Abort
  ${Loop}
!macroend

Function .onInit
  SetShellVarContext current
  !insertmacro RefuseWhileRunning
FunctionEnd

Section "Install"
  SetOutPath "$INSTDIR"
  File "${PAYLOAD}\vigilamp.exe"
  File "${PAYLOAD}\manual.mht"
  File "${PAYLOAD}\vigilampairraid.mp3"
  File "${PAYLOAD}\README.txt"
  File "${PAYLOAD}\LICENSE.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "${SHORTCUT}" "$INSTDIR\vigilamp.exe" "" "$INSTDIR\vigilamp.exe" 0 SW_SHOWNORMAL "" \
    "Alerts you when a chosen window opens"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vigilamp.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
  SetShellVarContext current
  !insertmacro RefuseWhileRunning
FunctionEnd

; Deletes the start-up value under ROOT when it starts this installation's vigilamp.exe: the program writes the
; path in quotes, older versions wrote it bare. A value naming another copy, a portable one say, is left alone.
; Deleting the per-machine value needs administrator rights: without them it stays, and the user is told.
!macro RemoveRunValue ROOT
  ClearErrors
  ReadRegStr $0 ${ROOT} "${RUN_KEY}" "${RUN_VALUE}"
  ${IfNot} ${Errors}
  ${AndIf} $0 != ""
    ${If} $0 == "$INSTDIR\vigilamp.exe"
    ${OrIf} $0 == '"$INSTDIR\vigilamp.exe"'
      ClearErrors
      DeleteRegValue ${ROOT} "${RUN_KEY}" "${RUN_VALUE}"
      ${If} ${Errors}
        DetailPrint "Could not remove the start-up value ${ROOT}\${RUN_KEY}\${RUN_VALUE}"
        MessageBox MB_OK|MB_ICONEXCLAMATION \
          "The start-up value $\"${RUN_VALUE}$\" under ${ROOT}\${RUN_KEY} could not be removed: that needs \
administrator rights. Windows skips it while vigilamp.exe is missing; an administrator can delete it." /SD IDOK
      ${Else}
        DetailPrint "Removed the start-up value ${ROOT}\${RUN_KEY}\${RUN_VALUE}"
      ${EndIf}
    ${EndIf}
  ${EndIf}
!macroend

Section "Uninstall"
  ; The program first: should it still be held open, nothing else is touched and the uninstaller can run again.
  Delete "$INSTDIR\vigilamp.exe"
  ${If} ${FileExists} "$INSTDIR\vigilamp.exe"
    MessageBox MB_OK|MB_ICONSTOP "$INSTDIR\vigilamp.exe could not be removed. Exit ${PRODUCT} and try again." \
      /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
  Delete "$INSTDIR\manual.mht"
  Delete "$INSTDIR\vigilampairraid.mp3"
  Delete "$INSTDIR\vigilamp.ini"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  ; Only an empty folder goes: anything else the user put there stays.
  RMDir "$INSTDIR"

  Delete "${SHORTCUT}"
  !insertmacro RemoveRunValue HKLM
  !insertmacro RemoveRunValue HKCU
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
