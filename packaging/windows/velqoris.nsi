; The Windows setup program: VELQORIS for the user who runs it (in the local
; programs folder, no administrator rights), or for all users when it runs
; elevated (in Program Files). Start menu entries, .DTA opened by VELQORIS
; for the user, and an uninstaller listed among the installed apps.
; makensis -DVERSION=2.10 -DSTAGE=<the programs' folder> -DFILES=<files.nsh>
;          -DOUTFILE=<setup.exe> velqoris.nsi
; Silent: setup.exe /S, with /ALLUSERS or /CURRENTUSER to choose.

Unicode true
; A 64-bit setup program: it sees the 64-bit Program Files and registry, as
; the 64-bit programs it installs do (no folder or registry redirection).
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"

!define PRODUCT "VELQORIS"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VELQORIS"
!define PROGID "VELQORIS.DataFile"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
; No InstallDir: the folder depends on the mode, chosen in .onInit (see there).
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1041 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1041 "CompanyName" "${PRODUCT}"
VIAddVersionKey /LANG=1041 "FileDescription" "${PRODUCT} セットアップ"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "LegalCopyright" "MIT License"

!define MUI_ICON "velqoris.ico"
!define MUI_UNICON "velqoris.ico"
!define MUI_ABORTWARNING

!define MUI_WELCOMEPAGE_TEXT "${PRODUCT} ${VERSION} をこのコンピュータにインストールします。$\r$\n$\r$\n\
管理者として実行しなかった場合は、このユーザーだけのためにインストールします (管理者権限は要りません)。\
管理者として実行した場合は、すべてのユーザーのためにインストールします。"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "${PRODUCT} のインストールが完了しました"
!define MUI_FINISHPAGE_TEXT "実際のボードで測定するには FTDI 社の D2XX ドライバ (FTD2XX.DLL) が必要です。\
FTDI 社のウェブサイトの D2XX ドライバのページから入手してインストールしてください。$\r$\n$\r$\n\
ボードがなくても、スタートメニューの「${PRODUCT} デモ」で仮想ボードを試せます。"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\READMEJA.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "説明書 (READMEJA.txt) を開く"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Japanese"

Var AllUsers

!macro UseMode
  ${If} $AllUsers == 1
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
!macroend

Function .onInit
  SetRegView 64
  ; All users when the setup runs elevated, unless told otherwise.
  UserInfo::GetAccountType
  Pop $0
  StrCpy $AllUsers 0
  ${If} $0 == "Admin"
    StrCpy $AllUsers 1
  ${EndIf}
  ${GetParameters} $1
  ClearErrors
  ${GetOptions} $1 "/CURRENTUSER" $2
  ${IfNot} ${Errors}
    StrCpy $AllUsers 0
  ${EndIf}
  ClearErrors
  ${GetOptions} $1 "/ALLUSERS" $2
  ${IfNot} ${Errors}
    StrCpy $AllUsers 1
  ${EndIf}
  !insertmacro UseMode
  ; A folder given with /D= stands; otherwise the mode's own. Only now, after
  ; SetShellVarContext, do $LOCALAPPDATA and $PROGRAMFILES64 name the right
  ; places: an InstallDir line would have been read before, in the user's context.
  ${If} $INSTDIR == ""
    ${If} $AllUsers == 1
      StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
    ${Else}
      StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${PRODUCT}"
    ${EndIf}
  ${EndIf}
FunctionEnd

Section "${PRODUCT}"
  SetOutPath "$INSTDIR"
  !include "${FILES}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\velqoris.exe" "" \
    "$INSTDIR\velqoris.exe" 0
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT} デモ.lnk" "$INSTDIR\velqoris-demo.exe" "" \
    "$INSTDIR\velqoris-demo.exe" 0

  ; Listed among the installed apps (HKLM for all users, else HKCU).
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\velqoris.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0

  ; .DTA files open in VELQORIS, for this user.
  WriteRegStr HKCU "Software\Classes\.DTA" "" "${PROGID}"
  WriteRegStr HKCU "Software\Classes\.DTA\OpenWithProgids" "${PROGID}" ""
  WriteRegStr HKCU "Software\Classes\${PROGID}" "" "${PRODUCT} データファイル"
  WriteRegStr HKCU "Software\Classes\${PROGID}\DefaultIcon" "" "$INSTDIR\velqoris.exe,0"
  WriteRegStr HKCU "Software\Classes\${PROGID}\shell\open\command" "" \
    '"$INSTDIR\velqoris.exe" "%1"'
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'  ; SHCNE_ASSOCCHANGED
SectionEnd

Function un.onInit
  SetRegView 64
  ; The mode of the install: the key that names this folder.
  StrCpy $AllUsers 0
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    StrCpy $AllUsers 1
  ${EndIf}
  !insertmacro UseMode
FunctionEnd

Section "Uninstall"
  !include "${FILES}.un"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT} デモ.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"

  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  ; The association only while it is still ours.
  ReadRegStr $0 HKCU "Software\Classes\.DTA" ""
  ${If} $0 == "${PROGID}"
    DeleteRegValue HKCU "Software\Classes\.DTA" ""
  ${EndIf}
  DeleteRegValue HKCU "Software\Classes\.DTA\OpenWithProgids" "${PROGID}"
  DeleteRegKey /ifempty HKCU "Software\Classes\.DTA\OpenWithProgids"
  DeleteRegKey /ifempty HKCU "Software\Classes\.DTA"
  DeleteRegKey HKCU "Software\Classes\${PROGID}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
