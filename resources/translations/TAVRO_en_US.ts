<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>MainWindow</name>
    <message>
        <source>Close</source>
        <translatorcomment>kept untranslated: shown as written in English too</translatorcomment>
        <translation></translation>
    </message>
    <message>
        <source>MainWindow</source>
        <translatorcomment>kept untranslated: shown as written in English too</translatorcomment>
        <translation></translation>
    </message>
    <message>
        <source>Minimize</source>
        <translatorcomment>kept untranslated: shown as written in English too</translatorcomment>
        <translation></translation>
    </message>
    <message>
        <source>串口正被其他程序占用。请关闭使用该串口的其他程序（例如其他地面站软件），然后重新连接。</source>
        <translation>The serial port is in use by another program. Close the other program that uses it (another ground station, for example), then connect again.</translation>
    </message>
    <message>
        <source>串口连接失败</source>
        <translation>Serial port connection failure</translation>
    </message>
    <message>
        <source>主旋翼</source>
        <translation>ROTOR</translation>
    </message>
    <message>
        <source>写入未确认：%1</source>
        <translation>Write failed: %1</translation>
    </message>
    <message>
        <source>写入未确认：%1 个参数</source>
        <translation>Writes failed: %1</translation>
    </message>
    <message>
        <source>分</source>
        <translation>min</translation>
    </message>
    <message>
        <source>加载中</source>
        <translation>loading</translation>
    </message>
    <message>
        <source>参数缺失：%1 个</source>
        <translation>Missing parameters: %1</translation>
    </message>
    <message>
        <source>型号：</source>
        <translation>Type：</translation>
    </message>
    <message>
        <source>工程参数</source>
        <translation>Parameters</translation>
    </message>
    <message>
        <source>已定位</source>
        <translation>located</translation>
    </message>
    <message>
        <source>成 功</source>
        <translation>Success</translation>
    </message>
    <message>
        <source>正在校准遥控器行程，请拨动摇杆至极限位置状态后，点击写入参数完成校准</source>
        <translation>During the remote controller travel calibration, move the sticks to their maximum positions, then click &quot;Write Parameters&quot; to complete the calibration.</translation>
    </message>
    <message>
        <source>没有打开串口的权限。TAVRO 的 udev 规则已安装：请拔下飞控再重新插上。
仍然不行时，把当前用户加入 dialout 组，注销并重新登录后再插上飞控：
sudo usermod -aG dialout $USER</source>
        <translation>No permission to open the serial port. The TAVRO udev rule is installed: unplug the flight controller and plug it in again.
If that does not help, add your user to the dialout group, log out and in again, then plug the flight controller in:
sudo usermod -aG dialout $USER</translation>
    </message>
    <message>
        <source>没有打开串口的权限。请任选其一，完成后拔下飞控再重新插上：
1. 安装 TAVRO 的 udev 规则（规则文件在源码的 tools/linux/ 中）：
sudo cp tools/linux/70-tavro.rules /etc/udev/rules.d/
sudo udevadm control --reload-rules
2. 把当前用户加入 dialout 组，然后注销并重新登录：
sudo usermod -aG dialout $USER</source>
        <translation>No permission to open the serial port. Do one of these, then unplug the flight controller and plug it in again:
1. Install the TAVRO udev rule (the rule file is in tools/linux/ of the source):
sudo cp tools/linux/70-tavro.rules /etc/udev/rules.d/
sudo udevadm control --reload-rules
2. Add your user to the dialout group, then log out and in again:
sudo usermod -aG dialout $USER</translation>
    </message>
    <message>
        <source>直升机型号</source>
        <translation>Heli Type</translation>
    </message>
    <message>
        <source>警报</source>
        <translation>warn</translation>
    </message>
    <message>
        <source>连 接</source>
        <translation>Connect</translation>
    </message>
    <message>
        <source>选择端口</source>
        <translation>Select</translation>
    </message>
    <message>
        <source>遥控器</source>
        <translation>Radio</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>error</translation>
    </message>
    <message>
        <source>错误警告：</source>
        <translation>Error:</translation>
    </message>
    <message>
        <source>飞行时长：</source>
        <translation>FLIGHT TIME：</translation>
    </message>
</context>
<context>
    <name>ModelPage</name>
    <message>
        <source>提示</source>
        <translation>warn</translation>
    </message>
    <message>
        <source>未能写入飞控的参数：%1个</source>
        <translation>Parameters not written to the flight controller: %1</translation>
    </message>
    <message>
        <source>等待飞控确认</source>
        <translation>Waiting for confirmation</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>warn</translation>
    </message>
</context>
<context>
    <name>ModelPresets</name>
    <message>
        <source>是否将飞控重置为Alder参数</source>
        <translation>Whether to reset the flight controller to Alder parameters</translation>
    </message>
    <message>
        <source>是否将飞控重置为Birch-2blades参数</source>
        <translation>Whether to reset the flight controller to Birch-2blades parameters</translation>
    </message>
    <message>
        <source>是否将飞控重置为Birch-4blades参数</source>
        <translation>Whether to reset the flight controller to Birch-4blades parameters</translation>
    </message>
    <message>
        <source>是否将飞控重置为Cedar-2blades参数</source>
        <translation>Whether to reset the flight controller to Cedar-2blades parameters</translation>
    </message>
    <message>
        <source>是否将飞控重置为Cedar-4blades参数</source>
        <translation>Whether to reset the flight controller to Cedar-4blades parameters</translation>
    </message>
    <message>
        <source>是否将飞控重置为Elm-V3参数</source>
        <translation>Whether to reset the flight controller to Elm-V3 parameters</translation>
    </message>
    <message>
        <source>是否将飞控重置为Ember参数</source>
        <translation>Whether to reset the flight controller to Ember parameters</translation>
    </message>
    <message>
        <source>是否将飞控重置为Fir参数</source>
        <translation>Whether to reset the flight controller to Fir parameters</translation>
    </message>
    <message>
        <source>是否将飞控重置为Hazel参数</source>
        <translation>Whether to reset the flight controller to Hazel parameters</translation>
    </message>
    <message>
        <source>是否将飞控重置为Juniper参数</source>
        <translation>Whether to reset the flight controller to Juniper parameters</translation>
    </message>
    <message>
        <source>是否将飞控重置为Linden参数</source>
        <translation>Whether to reset the flight controller to Linden parameters</translation>
    </message>
    <message>
        <source>是否将飞控重置为Maple参数</source>
        <translation>Whether to reset the flight controller to Maple parameters</translation>
    </message>
    <message>
        <source>是否将飞控重置为Oak参数</source>
        <translation>Whether to reset the flight controller to Oak parameters</translation>
    </message>
    <message>
        <source>是否将飞控重置为Pine参数</source>
        <translation>Whether to reset the flight controller to Pine parameters</translation>
    </message>
    <message>
        <source>是否将飞控重置为Rowan参数</source>
        <translation>Whether to reset the flight controller to Rowan parameters</translation>
    </message>
    <message>
        <source>是否将飞控重置为Spruce参数</source>
        <translation>Whether to reset the flight controller to Spruce parameters</translation>
    </message>
</context>
<context>
    <name>ParamFileLoader</name>
    <message>
        <source>找不到指定参数文件</source>
        <translation>Can not find the specified file</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>warn</translation>
    </message>
</context>
<context>
    <name>PopUpWidget</name>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;&amp;nbsp;&amp;nbsp;&amp;nbsp;&amp;nbsp;&amp;nbsp;&amp;nbsp;请将电池充满电后，用精确的电压表测量XT60插头上的准确电压，例如：你测量到的电压是&lt;span style=&quot; font-weight:700;&quot;&gt;16.6V&lt;/span&gt;，那么请狗癣&lt;span style=&quot; font-weight:700;&quot;&gt;16.6V&lt;/span&gt;，然后连接电池到直升机，等待飞控测量电压显示稳定后，点击&lt;span style=&quot; font-weight:700;&quot;&gt;写入电压&lt;/span&gt;。&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;&amp;nbsp;&amp;nbsp;&amp;nbsp;&amp;nbsp;&amp;nbsp;&amp;nbsp;Please fully charge the battery, then use a precision voltmeter to measure the exact voltage at the XT60 connector. For example, if the measured voltage is &lt;span style=&quot; font-weight:700;&quot;&gt;16.6V&lt;/span&gt;, please enter &lt;span style=&quot; font-weight:700;&quot;&gt;16.6V.&lt;/span&gt; Then connect the battery to the helicopter and wait for the flight controller&apos;s voltage reading to stabilize. Once stable, click &lt;span style=&quot; font-weight:700;&quot;&gt;Apply Voltage&lt;/span&gt;.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>写入失败</source>
        <translation>Write failed</translation>
    </message>
    <message>
        <source>写入电压</source>
        <translation>Apply Voltage</translation>
    </message>
    <message>
        <source>成功</source>
        <translation>Success</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>warn</translation>
    </message>
    <message>
        <source>未读取到有效的电压系数BATT_VOLT_MULT，禁止写入</source>
        <translation>No valid BATT_VOLT_MULT has been read from the flight controller. Writing is prohibited.</translation>
    </message>
    <message>
        <source>校准完成</source>
        <translation>Calibration complete</translation>
    </message>
    <message>
        <source>用户输入电压与飞控测量电压差超过1.5V，禁止写入</source>
        <translation>The difference between the user input voltage and the flight controller measured voltage exceeds 1.5V. Writing is prohibited.</translation>
    </message>
    <message>
        <source>电压异常</source>
        <translation>Abnormal voltage</translation>
    </message>
    <message>
        <source>电压校准完成</source>
        <translation>Voltage calibration complete</translation>
    </message>
    <message>
        <source>等待飞控确认</source>
        <translation>Waiting for confirmation</translation>
    </message>
    <message>
        <source>请选择电压</source>
        <translation>Please select a voltage</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>error</translation>
    </message>
    <message>
        <source>飞控未确认新的电压系数，写入失败</source>
        <translation>The flight controller did not confirm the new voltage multiplier. Writing failed.</translation>
    </message>
    <message>
        <source>飞控测量电压: %1 V</source>
        <translation>Flight controller measured voltage: %1 V</translation>
    </message>
    <message>
        <source>飞控测量电压无效，禁止写入</source>
        <translation>The flight controller measured voltage is invalid. Writing is prohibited.</translation>
    </message>
</context>
<context>
    <name>RotorPage</name>
    <message>
        <source>  - 13°</source>
        <translatorcomment>kept untranslated: shown as written in English too</translatorcomment>
        <translation></translation>
    </message>
    <message>
        <source>  ＋13°</source>
        <translatorcomment>kept untranslated: shown as written in English too</translatorcomment>
        <translation></translation>
    </message>
    <message>
        <source> 斜盘调平</source>
        <translation> Sawsh-Trim</translation>
    </message>
    <message>
        <source>前</source>
        <translation>Forward</translation>
    </message>
    <message>
        <source>右</source>
        <translation>Right</translation>
    </message>
    <message>
        <source>左</source>
        <translation>Left</translation>
    </message>
    <message>
        <source>正螺距</source>
        <translation>MAX Pos</translation>
    </message>
    <message>
        <source>舵机回中</source>
        <translation>Servo trim</translation>
    </message>
    <message>
        <source>螺距调整</source>
        <translation>Collective</translation>
    </message>
    <message>
        <source>调整完成</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>负螺距</source>
        <translation>MAX Neg</translation>
    </message>
</context>
<context>
    <name>StatusPage</name>
    <message>
        <source>  CH1</source>
        <translatorcomment>kept untranslated: shown as written in English too</translatorcomment>
        <translation></translation>
    </message>
    <message>
        <source>  CH2</source>
        <translatorcomment>kept untranslated: shown as written in English too</translatorcomment>
        <translation></translation>
    </message>
    <message>
        <source>  CH3</source>
        <translatorcomment>kept untranslated: shown as written in English too</translatorcomment>
        <translation></translation>
    </message>
    <message>
        <source>  CH4</source>
        <translatorcomment>kept untranslated: shown as written in English too</translatorcomment>
        <translation></translation>
    </message>
    <message>
        <source>---</source>
        <translatorcomment>kept untranslated: shown as written in English too</translatorcomment>
        <translation></translation>
    </message>
    <message>
        <source>CH1</source>
        <translatorcomment>kept untranslated: shown as written in English too</translatorcomment>
        <translation></translation>
    </message>
    <message>
        <source>CH2</source>
        <translatorcomment>kept untranslated: shown as written in English too</translatorcomment>
        <translation></translation>
    </message>
    <message>
        <source>CH3</source>
        <translatorcomment>kept untranslated: shown as written in English too</translatorcomment>
        <translation></translation>
    </message>
    <message>
        <source>CH4</source>
        <translatorcomment>kept untranslated: shown as written in English too</translatorcomment>
        <translation></translation>
    </message>
    <message>
        <source>CH5</source>
        <translatorcomment>kept untranslated: shown as written in English too</translatorcomment>
        <translation></translation>
    </message>
    <message>
        <source>CH6</source>
        <translatorcomment>kept untranslated: shown as written in English too</translatorcomment>
        <translation></translation>
    </message>
    <message>
        <source>CH7</source>
        <translatorcomment>kept untranslated: shown as written in English too</translatorcomment>
        <translation></translation>
    </message>
    <message>
        <source>CH8</source>
        <translatorcomment>kept untranslated: shown as written in English too</translatorcomment>
        <translation></translation>
    </message>
    <message>
        <source>CH9</source>
        <translatorcomment>kept untranslated: shown as written in English too</translatorcomment>
        <translation></translation>
    </message>
    <message>
        <source>GPS</source>
        <translatorcomment>kept untranslated: shown as written in English too</translatorcomment>
        <translation></translation>
    </message>
    <message>
        <source>GPS星数</source>
        <translation>Star</translation>
    </message>
    <message>
        <source>GPS精度</source>
        <translation>HDOP</translation>
    </message>
    <message>
        <source>max:</source>
        <translatorcomment>kept untranslated: shown as written in English too</translatorcomment>
        <translation></translation>
    </message>
    <message>
        <source>min:</source>
        <translatorcomment>kept untranslated: shown as written in English too</translatorcomment>
        <translation></translation>
    </message>
    <message>
        <source>trim:</source>
        <translatorcomment>kept untranslated: shown as written in English too</translatorcomment>
        <translation></translation>
    </message>
    <message>
        <source>一键返航</source>
        <translation>Return</translation>
    </message>
    <message>
        <source>上</source>
        <translation>Pos</translation>
    </message>
    <message>
        <source>上下螺距</source>
        <translation>collective</translation>
    </message>
    <message>
        <source>下</source>
        <translation>Neg</translation>
    </message>
    <message>
        <source>丢失遥控信号失控保护中</source>
        <translation>loss of RC signal</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>前</source>
        <translation>Forward</translation>
    </message>
    <message>
        <source>前进后退</source>
        <translation>Elevator</translation>
    </message>
    <message>
        <source>协调转弯</source>
        <translation>Turn</translation>
    </message>
    <message>
        <source>右</source>
        <translation>Right</translation>
    </message>
    <message>
        <source>后</source>
        <translation>Backward</translation>
    </message>
    <message>
        <source>启动</source>
        <translation>On</translation>
    </message>
    <message>
        <source>姿态</source>
        <translation>ATT</translation>
    </message>
    <message>
        <source>左</source>
        <translation>Left</translation>
    </message>
    <message>
        <source>左右平移</source>
        <translation>Aileron</translation>
    </message>
    <message>
        <source>开启</source>
        <translation>On</translation>
    </message>
    <message>
        <source>开始行程校准</source>
        <translation>Start calibration</translation>
    </message>
    <message>
        <source>当前电压</source>
        <translation>Voltage</translation>
    </message>
    <message>
        <source>手感模式</source>
        <translation>Style</translation>
    </message>
    <message>
        <source>旋转方向</source>
        <translation>Tail</translation>
    </message>
    <message>
        <source>无电池</source>
        <translation>Battery free</translation>
    </message>
    <message>
        <source>未定位</source>
        <translation>not located</translation>
    </message>
    <message>
        <source>未连接</source>
        <translation>not connected</translation>
    </message>
    <message>
        <source>柔和</source>
        <translation>Soft</translation>
    </message>
    <message>
        <source>标准</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>校准中</source>
        <translation>in calibration</translation>
    </message>
    <message>
        <source>校准完成</source>
        <translation>Calibration complete</translation>
    </message>
    <message>
        <source>模式开关</source>
        <translation>MODE</translation>
    </message>
    <message>
        <source>点击写入参数</source>
        <translation>Click to write parameters.&quot;</translation>
    </message>
    <message>
        <source>熄火</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>特技</source>
        <translation>Aerobatics</translation>
    </message>
    <message>
        <source>特技航线</source>
        <translation>Route</translation>
    </message>
    <message>
        <source>电机锁</source>
        <translation>Motor</translation>
    </message>
    <message>
        <source>米</source>
        <translation>meter</translation>
    </message>
    <message>
        <source>绕8字</source>
        <translation>Figure-8</translation>
    </message>
    <message>
        <source>绕圆</source>
        <translation>Circle</translation>
    </message>
    <message>
        <source>自由</source>
        <translation>Freedom</translation>
    </message>
    <message>
        <source>请转动摇杆进行校准</source>
        <translation>Please turn the rocker for calibration</translation>
    </message>
    <message>
        <source>运动</source>
        <translation>Sport</translation>
    </message>
    <message>
        <source>返航</source>
        <translation>Home</translation>
    </message>
    <message>
        <source>遥控信号连接中</source>
        <translation>RC signal connecting</translation>
    </message>
    <message>
        <source>遥控器</source>
        <translation>Radio</translation>
    </message>
</context>
<context>
    <name>StatusTextTable</name>
    <message>
        <source>3通道最小值过小</source>
        <translation>3 Channel minimum too small</translation>
    </message>
    <message>
        <source>加速度计校准完成后需要重启飞控</source>
        <translation>Need to restart flight control after accelerometer calibration is complete</translation>
    </message>
    <message>
        <source>加速度计需要校准</source>
        <translation>Accelerometers need to be calibrated</translation>
    </message>
    <message>
        <source>磁罗盘不正常</source>
        <translation>The magnetic compass is not functioning properly.</translation>
    </message>
    <message>
        <source>磁罗盘受到干扰</source>
        <translation>Compass is experiencing interference.</translation>
    </message>
    <message>
        <source>磁罗盘校准后需要重新启动</source>
        <translation>Reboot required after magnetic compass calibration</translation>
    </message>
    <message>
        <source>磁罗盘计正在校准</source>
        <translation>Magnetic compass meter being calibrated</translation>
    </message>
    <message>
        <source>磁罗盘需要校准</source>
        <translation>Magnetic compass needs to be calibrated</translation>
    </message>
    <message>
        <source>请把电机锁拨至熄火</source>
        <translation>Please turn the motor lock to off.</translation>
    </message>
    <message>
        <source>请连接接收机</source>
        <translation>Please connect the receiver</translation>
    </message>
    <message>
        <source>遥控器需要校准</source>
        <translation>Remote control needs to be calibrated</translation>
    </message>
</context>
<context>
    <name>TuningPage</name>
    <message>
        <source>低电量返航</source>
        <translation>Low battery</translation>
    </message>
    <message>
        <source>俯仰感度</source>
        <translation>Pitch gain</translation>
    </message>
    <message>
        <source>刹车力度</source>
        <translation>Brake gain</translation>
    </message>
    <message>
        <source>取消校准</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>工程参数</source>
        <translation>Parameters</translation>
    </message>
    <message>
        <source>开始校准</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>开始磁力计校准...
</source>
        <translation>Starting magnetometer calibration..</translation>
    </message>
    <message>
        <source>校准完自动重启</source>
        <translation>automatic restart</translation>
    </message>
    <message>
        <source>校准成功，必须重启飞控完成校准
</source>
        <translation>Calibration successful, you must restart the flight controller to complete the calibration.</translation>
    </message>
    <message>
        <source>校准成功，自动重启飞控完成校准
</source>
        <translation>Calibration successful, the flight controller will automatically restart to complete the calibration.</translation>
    </message>
    <message>
        <source>横滚感度</source>
        <translation>Roll gain</translation>
    </message>
    <message>
        <source>油门值</source>
        <translation>Throttle</translation>
    </message>
    <message>
        <source>磁力计校准进度</source>
        <translation>Compass calibration</translation>
    </message>
    <message>
        <source>请开始分别绕三个轴旋转
</source>
        <translation>Please start rotating around each of the three axes.</translation>
    </message>
    <message>
        <source>锁尾感度</source>
        <translation>Tail gain</translation>
    </message>
</context>
</TS>
