; The Windows installer: the program in Program Files for every user of the machine, a
; Start menu shortcut, and an uninstaller listed under Apps and Features. The uninstaller
; leaves each user's settings (HKCU\Software\Bramwick Tremolex) and log files alone.
; /S installs or uninstalls without asking; it then ends with exit code 2 when anything
; failed (a file that could not be written, a program still running).
;
; makensis -DVERSION=x.y.z -DPROGRAM=tremolex.exe -DICON=tremolex.ico -DOUTFILE=setup.exe
; (the windows build's target `installer` does this)

!ifdef VERSION & PROGRAM & ICON & OUTFILE
!else
  !error "define VERSION, PROGRAM, ICON and OUTFILE"
!endif

Unicode true
; The program is 64-bit: so is the installer, which then sees the 64-bit Program Files
; folder and registry as they are.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!define PRODUCT "Bramwick Tremolex"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

Name "${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
; An update goes where the version before it went.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
; A silent install must fail rather than skip a file it cannot write (the program running).
AllowSkipFiles off

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "CompanyName" "Bramwick"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "Bramwick"

!include "MUI2.nsh"
!include "FileFunc.nsh"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section
  SetOutPath "$INSTDIR"
  File "/oname=tremolex.exe" "${PROGRAM}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  SetShellVarContext all
  CreateShortcut "$SMPROGRAMS\Tremolex.lnk" "$INSTDIR\tremolex.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Bramwick"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tremolex.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  ; A running program keeps its file: then nothing is removed, so that the entry stays to
  ; uninstall with once it has closed.
  ClearErrors
  Delete "$INSTDIR\tremolex.exe"
  IfErrors 0 +3
    MessageBox MB_OK|MB_ICONSTOP "Close Tremolex, then uninstall it again." /SD IDOK
    Abort

  SetShellVarContext all
  Delete "$SMPROGRAMS\Tremolex.lnk"
  Delete "$INSTDIR\Uninstall.exe"
  ; Only when empty: the folder may hold files of the user's own.
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
