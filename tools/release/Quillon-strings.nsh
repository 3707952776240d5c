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

LangString FinishText ${LANG_ENGLISH} "Quillon is installed. It sits in the notification area; click its icon to show the window.$\r$\n$\r$\nNo phone over Wi-Fi? The phone must be on the same network as this PC, and Windows Defender Firewall must allow Quillon on private networks. USB needs the Android platform tools (adb). The notes say how."
LangString FinishText ${LANG_SIMPCHINESE} "Quillon 已安装。它位于通知区域，单击其图标即可显示窗口。$\r$\n$\r$\n没有通过 Wi-Fi 找到手机？手机必须与这台电脑在同一网络中，并且 Windows Defender 防火墙必须允许 Quillon 使用专用网络。USB 连接需要 Android 平台工具 (adb)。说明中有具体步骤。"
LangString ShowNotes ${LANG_ENGLISH} "Show the notes (firewall, USB)"
LangString ShowNotes ${LANG_SIMPCHINESE} "查看说明（防火墙、USB）"
