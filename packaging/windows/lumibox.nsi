; The Windows installer, built by ./package.sh with makensis:
;   makensis -DVERSION=0.2.1 -DBUILD=<build-windows> -DSOURCE=<repository> -DOUTFILE=<setup.exe> lumibox.nsi
; Per-user (no administrator) or machine-wide install; lumibox.exe and its console
; companion lumibox.com, the README and the licence; Start-menu shortcuts with the
; program's icon for the window and for the Network window; optionally the folder on PATH, so `lumibox` works in a console; on a
; machine-wide install the inbound UDP firewall rules for sACN (5568) and Art-Net (6454), and,
; when chosen, the inbound TCP rule for --serve's HTTP port (9775), for its page on phones.
; The uninstaller removes all of it. Silent: /S, with /AllUsers or /CurrentUser.
; A 64-bit installer for the 64-bit program (and for systems without 32-bit support).
Target amd64-unicode
SetCompressor /SOLID lzma

!define PRODUCT "Lumibox"
!define COMPANY "Velmora"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora Lumibox"
!define FIREWALL_SACN "Velmora Lumibox sACN (UDP 5568)"
!define FIREWALL_ARTNET "Velmora Lumibox Art-Net (UDP 6454)"
!define FIREWALL_HTTP "Velmora Lumibox HTTP page (TCP 9775)"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_INSTDIR "${COMPANY} ${PRODUCT}"
!define MULTIUSER_INSTALLMODE_DEFAULT_CURRENTUSER
!define MULTIUSER_USE_PROGRAMFILES64
!include MultiUser.nsh
!include MUI2.nsh
!include WordFunc.nsh
!include x64.nsh
!include Sections.nsh

Name "${COMPANY} ${PRODUCT}"
OutFile "${OUTFILE}"
!define MUI_ICON "${BUILD}/packaging/lumibox.ico"
!define MUI_UNICON "${BUILD}/packaging/lumibox.ico"

; The installer's own version information matches the program's.
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${COMPANY} ${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${COMPANY}"
VIAddVersionKey /LANG=1033 "FileDescription" "${COMPANY} ${PRODUCT} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "MIT licence"

!insertmacro MUI_PAGE_LICENSE "${SOURCE}/LICENSE"
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!define MUI_PAGE_CUSTOMFUNCTION_PRE ComponentsPagePre
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

; The PATH of the chosen install mode: the machine's (all users) or the user's environment.
!define SYSTEM_ENVIRONMENT "SYSTEM\CurrentControlSet\Control\Session Manager\Environment"

!macro AddToPath ROOT SUBKEY
  ReadRegStr $0 ${ROOT} "${SUBKEY}" "Path"
  StrCmp $0 "" 0 +3
    StrCpy $0 "$INSTDIR"
    Goto +2
  StrCpy $0 "$0;$INSTDIR"
  WriteRegExpandStr ${ROOT} "${SUBKEY}" "Path" $0
!macroend

!macro RemoveFromPath ROOT SUBKEY
  ReadRegStr $0 ${ROOT} "${SUBKEY}" "Path"
  ${un.WordReplace} "$0" ";$INSTDIR" "" "+" $0
  ${un.WordReplace} "$0" "$INSTDIR" "" "+" $0
  StrCmp $0 "" 0 +3
    DeleteRegValue ${ROOT} "${SUBKEY}" "Path"  ; it held only this folder
    Goto +2
  WriteRegExpandStr ${ROOT} "${SUBKEY}" "Path" $0
!macroend

Section "Lumibox" SectionProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${BUILD}/lumibox.exe"
  File "${BUILD}/lumibox.com"
  File "${SOURCE}/README.md"
  File "${SOURCE}/LICENSE"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${COMPANY} ${PRODUCT}.lnk" "$INSTDIR\lumibox.exe" "" "$INSTDIR\lumibox.exe" 0
  CreateShortcut "$SMPROGRAMS\${COMPANY} ${PRODUCT} Network monitor.lnk" "$INSTDIR\lumibox.exe" "--network" "$INSTDIR\lumibox.exe" 0
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${COMPANY} ${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${COMPANY}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\lumibox.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Lighting networks are often classified Public, where Windows drops inbound DMX unless
; a rule lets it in. Rules need an administrator, so only a machine-wide install adds them.
Section "Firewall rules for sACN and Art-Net" SectionFirewall
  StrCmp $MultiUser.InstallMode "AllUsers" 0 skip
    nsExec::ExecToLog 'netsh advfirewall firewall add rule name="${FIREWALL_SACN}" dir=in action=allow protocol=UDP localport=5568 program="$INSTDIR\lumibox.exe" profile=any enable=yes'
    Pop $0
    nsExec::ExecToLog 'netsh advfirewall firewall add rule name="${FIREWALL_ARTNET}" dir=in action=allow protocol=UDP localport=6454 program="$INSTDIR\lumibox.exe" profile=any enable=yes'
    Pop $0
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "FirewallRules" 1
  skip:
SectionEnd

; --serve answers on loopback unless told otherwise; whoever serves the page to other
; machines (phones on the lighting network) also needs the port let in. Not chosen unless asked.
Section /o "Firewall rule for the --serve page from other devices (TCP 9775)" SectionHttpFirewall
  StrCmp $MultiUser.InstallMode "AllUsers" 0 skip
    nsExec::ExecToLog 'netsh advfirewall firewall add rule name="${FIREWALL_HTTP}" dir=in action=allow protocol=TCP localport=9775 program="$INSTDIR\lumibox.exe" profile=any enable=yes'
    Pop $0
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "HttpFirewallRule" 1
  skip:
SectionEnd

; Only an all-users install can add rules: for the current user the box is cleared and
; greyed out when the components page opens.
Function ComponentsPagePre
  StrCmp $MultiUser.InstallMode "AllUsers" done
    !insertmacro UnselectSection ${SectionHttpFirewall}
    !insertmacro SetSectionFlag ${SectionHttpFirewall} ${SF_RO}
  done:
FunctionEnd

Section "Command `lumibox` in consoles (PATH)" SectionPath
  StrCmp $MultiUser.InstallMode "AllUsers" 0 user_path
    !insertmacro AddToPath HKLM "${SYSTEM_ENVIRONMENT}"
    Goto path_written
  user_path:
    !insertmacro AddToPath HKCU "Environment"
  path_written:
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "OnPath" 1
  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=2000
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\lumibox.exe"
  Delete "$INSTDIR\lumibox.com"
  Delete "$INSTDIR\README.md"
  Delete "$INSTDIR\LICENSE"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\${COMPANY} ${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${COMPANY} ${PRODUCT} Network monitor.lnk"

  ReadRegDWORD $0 SHCTX "${UNINSTALL_KEY}" "FirewallRules"
  StrCmp $0 1 0 +5
    nsExec::ExecToLog 'netsh advfirewall firewall delete rule name="${FIREWALL_SACN}"'
    Pop $0
    nsExec::ExecToLog 'netsh advfirewall firewall delete rule name="${FIREWALL_ARTNET}"'
    Pop $0
  ReadRegDWORD $0 SHCTX "${UNINSTALL_KEY}" "HttpFirewallRule"
  StrCmp $0 1 0 +3
    nsExec::ExecToLog 'netsh advfirewall firewall delete rule name="${FIREWALL_HTTP}"'
    Pop $0

  ReadRegDWORD $0 SHCTX "${UNINSTALL_KEY}" "OnPath"
  StrCmp $0 1 0 path_done
    StrCmp $MultiUser.InstallMode "AllUsers" 0 user_path
      !insertmacro RemoveFromPath HKLM "${SYSTEM_ENVIRONMENT}"
      Goto path_removed
    user_path:
      !insertmacro RemoveFromPath HKCU "Environment"
    path_removed:
    SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=2000
  path_done:
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  ; Last, so that the folder's going means the uninstall is complete.
  RMDir "$INSTDIR"
SectionEnd
