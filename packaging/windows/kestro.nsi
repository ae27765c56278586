; The Windows installer of TAV Kestro: both plug-in builds into the VST 2 folders (each one
; can be changed), the manual and the factory bank, "ManualPath" in the user's settings, and
; an uninstaller that removes exactly that and leaves the user's defaults and memories.
;
; Built on Linux with Debian's makensis by packaging/windows/build-installer.sh, which passes:
;   /DVERSION=1.0.0 /DDLL64=... /DDLL32=... /DMANUAL=... /DBANK=... /DOUTFILE=...
;
; Silent use: "TAV Kestro Setup.exe" /S [/VST64=folder] [/VST32=folder] [/D=documents folder]
; (/D must come last and takes the rest of the line).

Unicode true
; A 64-bit installer: it also places the 32-bit plug-in, for 32-bit hosts.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "x64.nsh"

!ifndef VERSION
  !define VERSION "1.0.0"
!endif
!ifndef OUTFILE
  !define OUTFILE "TAV Kestro Setup.exe"
!endif

!define PRODUCT "TAV Kestro"
!define VENDOR "TAV-quillmoor"
!define SETTINGS_KEY "SOFTWARE\TAV-quillmoor\TAVKST1"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\TAV Kestro"
!define DLL64_NAME "TAV Kestro_x64.dll"
!define DLL32_NAME "TAV Kestro.dll"
!define MANUAL_NAME "TAV Kestro Manual.pdf"
!define BANK_NAME "TAV Kestro Factory.tvb"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${VENDOR}\${PRODUCT}"
BrandingText "${VENDOR}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${VENDOR}"
VIAddVersionKey "FileDescription" "${PRODUCT} installer"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${VENDOR}"

Var Vst64Dir
Var Vst32Dir

!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_WELCOME

!define MUI_PAGE_HEADER_TEXT "64-bit plug-in folder"
!define MUI_PAGE_HEADER_SUBTEXT "Where 64-bit hosts look for VST 2 plug-ins."
!define MUI_DIRECTORYPAGE_TEXT_TOP "Setup installs $\"${DLL64_NAME}$\", the plug-in for 64-bit hosts, into this folder. Keep the folder your hosts already scan, or choose another and add it to your host's VST folders."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "64-bit VST plug-in folder"
!define MUI_DIRECTORYPAGE_VARIABLE $Vst64Dir
!insertmacro MUI_PAGE_DIRECTORY

!define MUI_PAGE_HEADER_TEXT "32-bit plug-in folder"
!define MUI_PAGE_HEADER_SUBTEXT "Where 32-bit hosts look for VST 2 plug-ins."
!define MUI_DIRECTORYPAGE_TEXT_TOP "Setup installs $\"${DLL32_NAME}$\", the plug-in for 32-bit hosts and bridges, into this folder."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "32-bit VST plug-in folder"
!define MUI_DIRECTORYPAGE_VARIABLE $Vst32Dir
!insertmacro MUI_PAGE_DIRECTORY

!define MUI_PAGE_HEADER_TEXT "Manual and factory bank"
!define MUI_PAGE_HEADER_SUBTEXT "Where the user manual, the factory bank and the uninstaller go."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "Folder for the manual and the factory bank"
!insertmacro MUI_PAGE_DIRECTORY

!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; The folder a host set-up registered for VST 2 plug-ins in the given registry view, else the
; usual one under Program Files.
!macro DefaultVstFolder VIEW FALLBACK RESULT
  SetRegView ${VIEW}
  ReadRegStr ${RESULT} HKLM "SOFTWARE\VST" "VSTPluginsPath"
  ${If} ${RESULT} == ""
    StrCpy ${RESULT} "${FALLBACK}"
  ${EndIf}
!macroend

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} Setup needs a 64-bit Windows."
    Abort
  ${EndIf}
  ; A previous installation's folders come first, so an update lands where hosts found it.
  SetRegView 64
  ReadRegStr $Vst64Dir HKLM "${UNINSTALL_KEY}" "Vst64Dir"
  ReadRegStr $Vst32Dir HKLM "${UNINSTALL_KEY}" "Vst32Dir"
  ${If} $Vst64Dir == ""
    !insertmacro DefaultVstFolder 64 "$PROGRAMFILES64\VSTPlugins" $Vst64Dir
  ${EndIf}
  ${If} $Vst32Dir == ""
    ; A 64-bit installer's $PROGRAMFILES32 is not the folder of 32-bit programs; Windows
    ; names that one in the environment.
    ReadEnvStr $R2 "ProgramFiles(x86)"
    ${If} $R2 == ""
      StrCpy $R2 "$PROGRAMFILES32"
    ${EndIf}
    !insertmacro DefaultVstFolder 32 "$R2\VSTPlugins" $Vst32Dir
  ${EndIf}
  SetRegView 64
  ; Folders given on the command line win (for silent installs).
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/VST64=" $R1
  ${IfNot} ${Errors}
    StrCpy $Vst64Dir $R1
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/VST32=" $R1
  ${IfNot} ${Errors}
    StrCpy $Vst32Dir $R1
  ${EndIf}
FunctionEnd

Section "TAV Kestro"
  SetRegView 64
  SetOverwrite on

  SetOutPath "$Vst64Dir"
  File "/oname=${DLL64_NAME}" "${DLL64}"
  SetOutPath "$Vst32Dir"
  File "/oname=${DLL32_NAME}" "${DLL32}"

  SetOutPath "$INSTDIR"
  File "/oname=${MANUAL_NAME}" "${MANUAL}"
  File "/oname=${BANK_NAME}" "${BANK}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; The plug-in reads the manual's location here; only the installer ever writes it.
  WriteRegStr HKCU "${SETTINGS_KEY}" "ManualPath" "$INSTDIR\${MANUAL_NAME}"

  ; What the uninstaller needs to find everything again, and the entry in Apps.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${VENDOR}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Vst64Dir" "$Vst64Dir"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Vst32Dir" "$Vst32Dir"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  SetRegView 64
  ReadRegStr $Vst64Dir HKLM "${UNINSTALL_KEY}" "Vst64Dir"
  ReadRegStr $Vst32Dir HKLM "${UNINSTALL_KEY}" "Vst32Dir"

  ; Only the files Setup put there: the plug-in folders are shared with other plug-ins.
  ${If} $Vst64Dir != ""
    Delete "$Vst64Dir\${DLL64_NAME}"
    RMDir "$Vst64Dir"
  ${EndIf}
  ${If} $Vst32Dir != ""
    Delete "$Vst32Dir\${DLL32_NAME}"
    RMDir "$Vst32Dir"
  ${EndIf}
  Delete "$INSTDIR\${MANUAL_NAME}"
  Delete "$INSTDIR\${BANK_NAME}"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  ; The vendor folder of the default location too, once empty; never a folder of the user's.
  ${GetParent} "$INSTDIR" $0
  ${GetFileName} $0 $1
  ${If} $1 == "${VENDOR}"
    RMDir $0
  ${EndIf}

  ; The manual's location goes with the manual; the user's default bank and preset, memories
  ; and remembered folders stay for a later installation.
  DeleteRegValue HKCU "${SETTINGS_KEY}" "ManualPath"
  DeleteRegKey /ifempty HKCU "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "SOFTWARE\${VENDOR}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
