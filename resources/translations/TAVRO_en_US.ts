<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>AllParametersDialog</name>
    <message>
        <source>%1 已由飞控确认。</source>
        <translation>%1 confirmed by the flight controller.</translation>
    </message>
    <message>
        <source>%1 的写入未被飞控确认，见该行的写入状态。</source>
        <translation>The write of %1 was not confirmed by the flight controller; see the row&apos;s write state.</translation>
    </message>
    <message>
        <source>“%1”不是可写入的数值：请输入有限的数（如 0.25、-3、1e-3），且在 32 位浮点数范围内。未写入任何值。</source>
        <translation>&quot;%1&quot; is not a value that can be written: enter a finite number (such as 0.25, -3, 1e-3) within the 32-bit float range. Nothing was written.</translation>
    </message>
    <message>
        <source>全部分组</source>
        <translation>All groups</translation>
    </message>
    <message>
        <source>全部参数</source>
        <translation>All parameters</translation>
    </message>
    <message>
        <source>共 %1 个参数，显示 %2 个</source>
        <translation>%1 parameters, %2 shown</translation>
    </message>
    <message>
        <source>写入所选差异...</source>
        <translation>Write selected differences...</translation>
    </message>
    <message>
        <source>参数名的一部分（Ctrl+F）</source>
        <translation>Part of a name (Ctrl+F)</translation>
    </message>
    <message>
        <source>参数文件 (*.param);;所有文件 (*)</source>
        <translation>Parameter files (*.param);;All files (*)</translation>
    </message>
    <message>
        <source>参数文件...</source>
        <translation>Parameter file...</translation>
    </message>
    <message>
        <source>只显示差异</source>
        <translation>Differences only</translation>
    </message>
    <message>
        <source>对比 %1：%2 项不同，%3 项飞控没有，%4 行有错误。</source>
        <translation>Compared with %1: %2 differ, %3 unknown to the flight controller, %4 lines with errors.</translation>
    </message>
    <message>
        <source>对比...</source>
        <translation>Compare...</translation>
    </message>
    <message>
        <source>快照...</source>
        <translation>Snapshot...</translation>
    </message>
    <message>
        <source>按名称排序</source>
        <translation>Sorted by name</translation>
    </message>
    <message>
        <source>按飞控顺序</source>
        <translation>Flight controller&apos;s order</translation>
    </message>
    <message>
        <source>无法读取 %1：%2</source>
        <translation>Cannot read %1: %2</translation>
    </message>
    <message>
        <source>机型预设</source>
        <translation>Model preset</translation>
    </message>
    <message>
        <source>正在写入 %1 = %2 ...</source>
        <translation>Writing %1 = %2 ...</translation>
    </message>
    <message>
        <source>清除对比</source>
        <translation>Clear comparison</translation>
    </message>
    <message>
        <source>筛选</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>连接已断开：表中为最后读到的值，不能修改。</source>
        <translation>Link lost: the table shows the last values read and cannot be edited.</translation>
    </message>
    <message>
        <source>选择对比的参数文件</source>
        <translation>Choose a parameter file to compare with</translation>
    </message>
</context>
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
        <source>找不到指定参数文件</source>
        <translation>Can not find the specified file</translation>
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
    <name>OutOfRangeMark</name>
    <message>
        <source>飞控中的值 %1 超出可调范围 %2 – %3</source>
        <translation>The flight controller holds %1, outside the adjustable range %2 – %3</translation>
    </message>
</context>
<context>
    <name>ParamFileChecker</name>
    <message>
        <source>……另有 %1 条</source>
        <translation>... and %1 more</translation>
    </message>
    <message>
        <source>此文件是 %1 编码的文本，参数文件须为 UTF-8 文本：请另存为 UTF-8 后重试。</source>
        <translation>The file is %1 text, parameter files must be UTF-8 text: save it as UTF-8 and try again.</translation>
    </message>
    <message>
        <source>此文件第一行含有空字节，不是文本文件（二进制文件？）：参数文件须为 UTF-8 文本，请另存为 UTF-8 后重试。</source>
        <translation>The file holds NUL bytes in its first line, so it is not text (a binary file?): parameter files must be UTF-8 text: save it as UTF-8 and try again.</translation>
    </message>
    <message>
        <source>第%1行：%2 在第%3行和第%1行的值不同（%4 和 %5），均不写入</source>
        <translation>line %1: %2 given twice with different values (lines %3 and %1: %4 and %5): neither is written</translation>
    </message>
    <message>
        <source>第%1行：%2：%3 太小，32 位浮点数会将其写成 0</source>
        <translation>line %1: %2: %3 is too small for a 32-bit float: it would be written as 0</translation>
    </message>
    <message>
        <source>第%1行：%2：%3 超出 32 位浮点数的范围</source>
        <translation>line %1: %2: %3 is beyond the range of a 32-bit float</translation>
    </message>
    <message>
        <source>第%1行：不是 UTF-8 文本：%2</source>
        <translation>line %1: not UTF-8 text: %2</translation>
    </message>
    <message>
        <source>第%1行：不是“名称,数值”格式：%2</source>
        <translation>line %1: not NAME,VALUE: %2</translation>
    </message>
    <message>
        <source>第%1行：不是参数名（1-16 个字母、数字或下划线）：%2</source>
        <translation>line %1: not a parameter name (1-16 letters, digits, underscores): %2</translation>
    </message>
    <message>
        <source>第%1行：不是数字：%2</source>
        <translation>line %1: not a number: %2</translation>
    </message>
    <message>
        <source>第%1行：含有空字节：%2</source>
        <translation>line %1: holds a NUL byte: %2</translation>
    </message>
    <message>
        <source>第%1行：提示：%2 与第%3行重复，值相同</source>
        <translation>line %1: note: %2 repeats line %3 with the same value</translation>
    </message>
    <message>
        <source>第%1行：注释须单独成行：%2</source>
        <translation>line %1: a comment after the value (comments stand on lines of their own): %2</translation>
    </message>
    <message>
        <source>第%1行：飞控没有参数 %2</source>
        <translation>line %1: unknown parameter: %2</translation>
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
    <name>ParamFilesBar</name>
    <message>
        <source>保存参数...</source>
        <translation>Save parameters...</translation>
    </message>
    <message>
        <source>加载参数...</source>
        <translation>Load parameters...</translation>
    </message>
    <message>
        <source>参数快照...</source>
        <translation>Snapshots...</translation>
    </message>
</context>
<context>
    <name>ParameterTableModel</name>
    <message>
        <source>主旋翼页：十字盘舵机 %1 中位；单位微秒</source>
        <translation>Rotor page: centre of swashplate servo %1; microseconds</translation>
    </message>
    <message>
        <source>主旋翼页：十字盘舵机 %1 反向，1 为反向；无单位</source>
        <translation>Rotor page: swashplate servo %1 reversed, 1 is reversed; no unit</translation>
    </message>
    <message>
        <source>主旋翼页：十字盘调整时的手动舵机模式，0 为关闭；无单位</source>
        <translation>Rotor page: manual servo mode during swashplate setup, 0 is off; no unit</translation>
    </message>
    <message>
        <source>主旋翼页：总距上限位置；单位微秒</source>
        <translation>Rotor page: upper collective limit; microseconds</translation>
    </message>
    <message>
        <source>主旋翼页：总距下限位置；单位微秒</source>
        <translation>Rotor page: lower collective limit; microseconds</translation>
    </message>
    <message>
        <source>写入 %1 未收到确认，表中的值 %2 是最后一次读到的值</source>
        <translation>The write of %1 was never confirmed; %2 is the last value read</translation>
    </message>
    <message>
        <source>写入 %1 未被接受，飞控保留 %2</source>
        <translation>The write of %1 was not taken; the flight controller kept %2</translation>
    </message>
    <message>
        <source>写入状态</source>
        <translation>Write state</translation>
    </message>
    <message>
        <source>名称</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>对比</source>
        <translation>Compared</translation>
    </message>
    <message>
        <source>对比：%1</source>
        <translation>Compared: %1</translation>
    </message>
    <message>
        <source>工程参数页：严重低电量的单节电压，0 为关闭；单位伏</source>
        <translation>Parameters page: cell voltage for critically low battery, 0 is off; volts</translation>
    </message>
    <message>
        <source>工程参数页：低电量返航的单节电压，0 为关闭；单位伏</source>
        <translation>Parameters page: cell voltage for the low-battery return, 0 is off; volts</translation>
    </message>
    <message>
        <source>工程参数页：俯仰感度，0.02 到 0.08；无单位</source>
        <translation>Parameters page: pitch gain, 0.02 to 0.08; no unit</translation>
    </message>
    <message>
        <source>工程参数页：像真机写入的主旋翼转速（油门值）；单位百分比</source>
        <translation>Parameters page: main rotor speed (throttle) written for scale models; percent</translation>
    </message>
    <message>
        <source>工程参数页：像真机显示的主旋翼转速；单位百分比</source>
        <translation>Parameters page: main rotor speed shown for scale models; percent</translation>
    </message>
    <message>
        <source>工程参数页：刹车力度，50 到 500；单位厘米每二次方秒</source>
        <translation>Parameters page: brake strength, 50 to 500; cm/s²</translation>
    </message>
    <message>
        <source>工程参数页：小型机的主旋翼转速（油门值）；单位百分比</source>
        <translation>Parameters page: main rotor speed (throttle) of small models; percent</translation>
    </message>
    <message>
        <source>工程参数页：横滚感度，0.02 到 0.08；无单位</source>
        <translation>Parameters page: roll gain, 0.02 to 0.08; no unit</translation>
    </message>
    <message>
        <source>工程参数页：锁尾感度，0.15 到 0.35；无单位</source>
        <translation>Parameters page: tail gain, 0.15 to 0.35; no unit</translation>
    </message>
    <message>
        <source>已确认</source>
        <translation>Confirmed</translation>
    </message>
    <message>
        <source>数值</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>未接受，保留 %1</source>
        <translation>Not taken, kept %1</translation>
    </message>
    <message>
        <source>未确认，仍为 %1</source>
        <translation>Not confirmed, still %1</translation>
    </message>
    <message>
        <source>正在写入 %1</source>
        <translation>Writing %1</translation>
    </message>
    <message>
        <source>电压校准对话框：电池电压测量倍数；无单位</source>
        <translation>Voltage calibration dialog: battery voltage measurement multiplier; no unit</translation>
    </message>
    <message>
        <source>直升机型号页：当前机型编号，决定可选的预设；无单位</source>
        <translation>Heli type page: the current model id, which decides the presets offered; no unit</translation>
    </message>
    <message>
        <source>窗口顶部：累计飞行时间，按分钟显示；单位秒</source>
        <translation>Window header: accumulated flight time, shown in minutes; seconds</translation>
    </message>
    <message>
        <source>说明</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>遥控器页：机架类别，11 时第一个开关显示手动模式；无单位</source>
        <translation>Radio page: airframe class; 11 names the first switch&apos;s manual mode; no unit</translation>
    </message>
    <message>
        <source>遥控器页：第二串口的协议，2 为数传时开关标签随之改变；无单位</source>
        <translation>Radio page: protocol of the second serial port; 2 (telemetry) changes the switch labels; no unit</translation>
    </message>
    <message>
        <source>遥控器页：遥控通道 %1 中位；单位微秒</source>
        <translation>Radio page: centre of radio channel %1; microseconds</translation>
    </message>
    <message>
        <source>遥控器页：遥控通道 %1 行程最大值；单位微秒</source>
        <translation>Radio page: highest travel of radio channel %1; microseconds</translation>
    </message>
    <message>
        <source>遥控器页：遥控通道 %1 行程最小值；单位微秒</source>
        <translation>Radio page: lowest travel of radio channel %1; microseconds</translation>
    </message>
</context>
<context>
    <name>PopUpWidget</name>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;&amp;nbsp;&amp;nbsp;&amp;nbsp;&amp;nbsp;&amp;nbsp;&amp;nbsp;请将电池充满电后，用精确的电压表测量XT60插头上的准确电压，例如：你测量到的电压是&lt;span style=&quot; font-weight:700;&quot;&gt;16.6V&lt;/span&gt;，那么请勾选&lt;span style=&quot; font-weight:700;&quot;&gt;16.6V&lt;/span&gt;，然后连接电池到直升机，等待飞控测量电压显示稳定后，点击&lt;span style=&quot; font-weight:700;&quot;&gt;写入电压&lt;/span&gt;。&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
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
        <translation> Swash trim</translation>
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
    <name>SafeChanges</name>
    <message>
        <source>保存参数</source>
        <translation>Save parameters</translation>
    </message>
    <message>
        <source>写入</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>加载参数</source>
        <translation>Load parameters</translation>
    </message>
    <message>
        <source>参数快照无法保存：文件夹不可写</source>
        <translation>Parameter snapshot not saved: folder not writable</translation>
    </message>
    <message>
        <source>参数文件 (*.param)</source>
        <translation>Parameter files (*.param)</translation>
    </message>
    <message>
        <source>参数文件 (*.param);;所有文件 (*)</source>
        <translation>Parameter files (*.param);;All files (*)</translation>
    </message>
    <message>
        <source>参数无法保存到 %1</source>
        <translation>The parameters could not be saved to %1</translation>
    </message>
    <message>
        <source>恢复</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>把所选的参数写成 %1 中的值？只写入不同的参数。</source>
        <translation>Write the selected parameters with the values from %1? Only the differing ones are written.</translation>
    </message>
    <message>
        <source>把文件 %1 中的参数写入飞控？</source>
        <translation>Write the parameters of %1 to the flight controller?</translation>
    </message>
    <message>
        <source>把飞控的参数恢复到 %1 的快照？只写入不同的参数。</source>
        <translation>Restore the flight controller to the snapshot of %1? Only the differing parameters are written.</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>warn</translation>
    </message>
    <message>
        <source>文件的编码是 %1，不是 UTF-8。请把文件另存为 UTF-8 后再加载。</source>
        <translation>The file is encoded as %1, not UTF-8. Save it as UTF-8, then load it again.</translation>
    </message>
    <message>
        <source>新下载的参数显示：中断时未确认的 %1 个参数已经写入。</source>
        <translation>The new download shows that the %1 unconfirmed parameters were written.</translation>
    </message>
    <message>
        <source>新下载的参数显示：中断时未确认的参数中有 %1 个已经写入。
继续写入剩余的 %2 个参数吗？</source>
        <translation>The new download shows that %1 of the unconfirmed parameters were written.
Continue writing the remaining %2 parameters?</translation>
    </message>
    <message>
        <source>无法读取参数文件 %1</source>
        <translation>Cannot read the parameter file %1</translation>
    </message>
    <message>
        <source>机型已改变，需要重启飞控才能生效。</source>
        <translation>The model has changed: it takes effect after the flight controller reboots.</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>warn</translation>
    </message>
    <message>
        <source>请先连接飞控。</source>
        <translation>Connect the flight controller first.</translation>
    </message>
    <message>
        <source>这个快照已损坏，无法读取，不能用来恢复。</source>
        <translation>This snapshot is damaged: it cannot be read or restored.</translation>
    </message>
    <message>
        <source>这个快照来自不完整的参数下载，不能用来整体恢复。</source>
        <translation>This snapshot comes from an incomplete download and cannot be restored as a whole.</translation>
    </message>
    <message>
        <source>重启飞控并重新连接吗？</source>
        <translation>Reboot the flight controller and reconnect?</translation>
    </message>
</context>
<context>
    <name>SnapshotsDialog</name>
    <message>
        <source>不完整（不能恢复）</source>
        <translation>incomplete (cannot be restored)</translation>
    </message>
    <message>
        <source>与当前不同</source>
        <translation>Differ now</translation>
    </message>
    <message>
        <source>关闭窗口</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>参数个数</source>
        <translation>Parameters</translation>
    </message>
    <message>
        <source>参数快照</source>
        <translation>Parameter snapshots</translation>
    </message>
    <message>
        <source>参数文件 (*.param)</source>
        <translation>Parameter files (*.param)</translation>
    </message>
    <message>
        <source>另存为</source>
        <translation>Save as</translation>
    </message>
    <message>
        <source>另存为...</source>
        <translation>Save as...</translation>
    </message>
    <message>
        <source>完整</source>
        <translation>complete</translation>
    </message>
    <message>
        <source>当前飞控的参数快照（%1）。选择一个快照，可预览并恢复。</source>
        <translation>Snapshots of the connected flight controller (%1). Choose one to preview and restore it.</translation>
    </message>
    <message>
        <source>恢复...</source>
        <translation>Restore...</translation>
    </message>
    <message>
        <source>无法保存到 %1</source>
        <translation>Cannot save to %1</translation>
    </message>
    <message>
        <source>无法读取</source>
        <translation>unreadable</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>未连接飞控：按飞控列出所有快照，可浏览和另存。</source>
        <translation>No flight controller connected: the snapshots of every board, to browse and save elsewhere.</translation>
    </message>
    <message>
        <source>机型</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>State</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>warn</translation>
    </message>
    <message>
        <source>还没有快照。</source>
        <translation>No snapshots yet.</translation>
    </message>
    <message>
        <source>（原始状态）</source>
        <translation> (original state)</translation>
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
        <translation>Satellites</translation>
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
        <translation>Click to write parameters.</translation>
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
        <source>全部参数...</source>
        <translation>All parameters...</translation>
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
<context>
    <name>WriteBatch</name>
    <message>
        <source>与飞控的连接已断开，写入已停止。</source>
        <translation>The link to the flight controller was lost; writing stopped.</translation>
    </message>
    <message>
        <source>已写入并确认：%1 个</source>
        <translation>Written and confirmed: %1</translation>
    </message>
    <message>
        <source>已发送但未确认：</source>
        <translation>Sent but not confirmed:</translation>
    </message>
    <message>
        <source>已发送但未确认：%1 个</source>
        <translation>Sent but not confirmed: %1</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>warn</translation>
    </message>
    <message>
        <source>未发送：</source>
        <translation>Not sent:</translation>
    </message>
    <message>
        <source>未发送：%1 个</source>
        <translation>Not sent: %1</translation>
    </message>
    <message>
        <source>等待飞控确认</source>
        <translation>Waiting for confirmation</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>warn</translation>
    </message>
    <message>
        <source>重新连接飞控后，继续写入剩余的 %1 个参数吗？</source>
        <translation>Continue writing the remaining %1 parameters after reconnecting to the flight controller?</translation>
    </message>
    <message>
        <source>（飞控可能已采用这些值，重新下载参数后可看到它们的值）</source>
        <translation>(the flight controller may have applied these; a new download shows their values)</translation>
    </message>
</context>
<context>
    <name>WritePreviewDialog</name>
    <message>
        <source>与第 %1 行重复且数值不同</source>
        <translation>repeats line %1 with another value</translation>
    </message>
    <message>
        <source>与第 %1 行重复（数值相同）</source>
        <translation>repeats line %1 (same value)</translation>
    </message>
    <message>
        <source>全部 %1 行按文件顺序写入，不变的也写入。</source>
        <translation>All %1 lines are written in file order, unchanged ones too.</translation>
    </message>
    <message>
        <source>写入前确认</source>
        <translation>Confirm before writing</translation>
    </message>
    <message>
        <source>参数名无效</source>
        <translation>invalid parameter name</translation>
    </message>
    <message>
        <source>否</source>
        <translation>No</translation>
    </message>
    <message>
        <source>将更改 %1 个参数，%2 个参数不变。</source>
        <translation>%1 parameters will change, %2 stay as they are.</translation>
    </message>
    <message>
        <source>数值无效</source>
        <translation>invalid value</translation>
    </message>
    <message>
        <source>数值超出飞控能保存的范围</source>
        <translation>a value the flight controller cannot hold</translation>
    </message>
    <message>
        <source>是</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>格式不是“名称,数值”</source>
        <translation>not in the form NAME,VALUE</translation>
    </message>
    <message>
        <source>第 %1 行：%2</source>
        <translation>Line %1: %2</translation>
    </message>
    <message>
        <source>跳过的行：%1 个</source>
        <translation>Skipped lines: %1</translation>
    </message>
    <message>
        <source>飞控没有此参数</source>
        <translation>the flight controller has no such parameter</translation>
    </message>
    <message>
        <source>飞控没有的参数（不写入）：%1 个</source>
        <translation>Parameters the flight controller does not have (not written): %1</translation>
    </message>
    <message>
        <source>（没有要更改的参数）</source>
        <translation>(no parameter changes)</translation>
    </message>
</context>
</TS>
