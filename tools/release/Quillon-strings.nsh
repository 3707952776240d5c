; Setup's own texts, in the two languages of the program.

LangString AlreadyRunning ${LANG_ENGLISH} "Quillon Setup is already running."
LangString AlreadyRunning ${LANG_SIMPCHINESE} "Quillon 安装程序已在运行。"

LangString QuillonBusy ${LANG_ENGLISH} "Quillon is running and did not close. Exit Quillon from its icon in the notification area, then run setup again."
LangString QuillonBusy ${LANG_SIMPCHINESE} "Quillon 正在运行且未能关闭。请从通知区域的图标退出 Quillon，然后重新运行安装程序。"

LangString NeedsAdmin ${LANG_ENGLISH} "Installing Quillon for all users needs administrator rights. Run setup as an administrator, or without /ALLUSERS to install it for yourself."
LangString NeedsAdmin ${LANG_SIMPCHINESE} "为所有用户安装 Quillon 需要管理员权限。请以管理员身份运行安装程序，或不带 /ALLUSERS 只为自己安装。"

LangString FolderNotWritable ${LANG_ENGLISH} "Setup cannot write to the folder $INSTDIR. Choose a folder you can write to. Nothing was installed."
LangString FolderNotWritable ${LANG_SIMPCHINESE} "安装程序无法写入文件夹 $INSTDIR。请选择一个可写入的文件夹。未安装任何内容。"

LangString OptionsTitle ${LANG_ENGLISH} "Options"
LangString OptionsTitle ${LANG_SIMPCHINESE} "选项"
LangString OptionsSubtitle ${LANG_ENGLISH} "Choose when Quillon starts."
LangString OptionsSubtitle ${LANG_SIMPCHINESE} "选择 Quillon 何时启动。"
LangString SignInOption ${LANG_ENGLISH} "Start Quillon when I sign in to Windows"
LangString SignInOption ${LANG_SIMPCHINESE} "登录 Windows 时启动 Quillon"

LangString FinishText ${LANG_ENGLISH} "Quillon is installed. It sits in the notification area; click its icon to show the window.$\r$\n$\r$\nIf your phone does not appear over Wi-Fi: the phone and the PC must be on the same network, and Windows Defender Firewall must allow Quillon on it. Open Windows Security, Firewall && network protection, Allow an app through firewall, and tick Quillon for Private networks (set your home Wi-Fi to Private in its network settings). Quillon listens on UDP port 9755 and TCP port 15548.$\r$\n$\r$\nUSB needs the Android platform tools (adb) and the phone's USB driver."
LangString FinishText ${LANG_SIMPCHINESE} "Quillon 已安装。它位于通知区域，单击其图标即可显示窗口。$\r$\n$\r$\n如果手机没有通过 Wi-Fi 出现：手机和电脑必须在同一网络中，并且 Windows Defender 防火墙必须允许 Quillon 使用该网络。打开“Windows 安全中心”>“防火墙和网络保护”>“允许应用通过防火墙”，为 Quillon 勾选“专用”网络（并在家庭 Wi-Fi 的网络设置中将其设为“专用”）。Quillon 使用 UDP 端口 9755 和 TCP 端口 15548。$\r$\n$\r$\nUSB 连接需要 Android 平台工具 (adb) 和手机的 USB 驱动程序。"
