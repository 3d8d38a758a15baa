; The Windows installer: the zip's folder under Program Files, Start menu
; entries, and an uninstaller listed in Windows's Apps settings.
; makensis -DSOURCE=<unpacked zip folder> -DOUTFILE=<setup.exe> installer.nsi
Unicode true
Name "VELQORIS 2.10"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\VELQORIS"
RequestExecutionLevel admin
SetCompressor /SOLID lzma

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VELQORIS"

Section "VELQORIS"
  SetRegView 64
  SetOutPath "$INSTDIR"
  File /r "${SOURCE}\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateDirectory "$SMPROGRAMS\VELQORIS"
  CreateShortcut "$SMPROGRAMS\VELQORIS\VELQORIS.lnk" "$INSTDIR\velqoris.exe"
  CreateShortcut "$SMPROGRAMS\VELQORIS\VELQORIS デモ.lnk" "$INSTDIR\velqoris-demo.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "VELQORIS 2.10"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "2.10"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetRegView 64
  RMDir /r "$SMPROGRAMS\VELQORIS"
  RMDir /r "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
