<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="zh_CN">
<context>
    <name>AllParametersDialog</name>
    <message>
        <source>%1 已由飞控确认。</source>
        <translation>%1 已由飞控确认。</translation>
    </message>
    <message>
        <source>%1 的写入未被飞控确认，见该行的写入状态。</source>
        <translation>%1 的写入未被飞控确认，见该行的写入状态。</translation>
    </message>
    <message>
        <source>“%1”不是可写入的数值：请输入有限的数（如 0.25、-3、1e-3），且在 32 位浮点数范围内。未写入任何值。</source>
        <translation>“%1”不是可写入的数值：请输入有限的数（如 0.25、-3、1e-3），且在 32 位浮点数范围内。未写入任何值。</translation>
    </message>
    <message>
        <source>全部分组</source>
        <translation>全部分组</translation>
    </message>
    <message>
        <source>全部参数</source>
        <translation>全部参数</translation>
    </message>
    <message>
        <source>共 %1 个参数，显示 %2 个</source>
        <translation>共 %1 个参数，显示 %2 个</translation>
    </message>
    <message>
        <source>写入所选差异...</source>
        <translation>写入所选差异...</translation>
    </message>
    <message>
        <source>参数名的一部分（Ctrl+F）</source>
        <translation>参数名的一部分（Ctrl+F）</translation>
    </message>
    <message>
        <source>参数文件 (*.param);;所有文件 (*)</source>
        <translation>参数文件 (*.param);;所有文件 (*)</translation>
    </message>
    <message>
        <source>参数文件...</source>
        <translation>参数文件...</translation>
    </message>
    <message>
        <source>只显示差异</source>
        <translation>只显示差异</translation>
    </message>
    <message>
        <source>对比 %1：%2 项不同，%3 项飞控没有，%4 行有错误。</source>
        <translation>对比 %1：%2 项不同，%3 项飞控没有，%4 行有错误。</translation>
    </message>
    <message>
        <source>对比...</source>
        <translation>对比...</translation>
    </message>
    <message>
        <source>快照...</source>
        <translation>快照...</translation>
    </message>
    <message>
        <source>按名称排序</source>
        <translation>按名称排序</translation>
    </message>
    <message>
        <source>按飞控顺序</source>
        <translation>按飞控顺序</translation>
    </message>
    <message>
        <source>无法读取 %1：%2</source>
        <translation>无法读取 %1：%2</translation>
    </message>
    <message>
        <source>机型预设</source>
        <translation>机型预设</translation>
    </message>
    <message>
        <source>正在写入 %1 = %2 ...</source>
        <translation>正在写入 %1 = %2 ...</translation>
    </message>
    <message>
        <source>清除对比</source>
        <translation>清除对比</translation>
    </message>
    <message>
        <source>筛选</source>
        <translation>筛选</translation>
    </message>
    <message>
        <source>连接已断开：表中为最后读到的值，不能修改。</source>
        <translation>连接已断开：表中为最后读到的值，不能修改。</translation>
    </message>
    <message>
        <source>选择对比的参数文件</source>
        <translation>选择对比的参数文件</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>MainWindow</source>
        <translation>MainWindow</translation>
    </message>
    <message>
        <source>Minimize</source>
        <translation>Minimize</translation>
    </message>
    <message>
        <source>串口正被其他程序占用。请关闭使用该串口的其他程序（例如其他地面站软件），然后重新连接。</source>
        <translation>串口正被其他程序占用。请关闭使用该串口的其他程序（例如其他地面站软件），然后重新连接。</translation>
    </message>
    <message>
        <source>串口连接失败</source>
        <translation>串口连接失败</translation>
    </message>
    <message>
        <source>主旋翼</source>
        <translation>主旋翼</translation>
    </message>
    <message>
        <source>写入未确认：%1</source>
        <translation>写入未确认：%1</translation>
    </message>
    <message>
        <source>写入未确认：%1 个参数</source>
        <translation>写入未确认：%1 个参数</translation>
    </message>
    <message>
        <source>分</source>
        <translation>分</translation>
    </message>
    <message>
        <source>加载中</source>
        <translation>加载中</translation>
    </message>
    <message>
        <source>参数缺失：%1 个</source>
        <translation>参数缺失：%1 个</translation>
    </message>
    <message>
        <source>型号：</source>
        <translation>型号：</translation>
    </message>
    <message>
        <source>工程参数</source>
        <translation>工程参数</translation>
    </message>
    <message>
        <source>已定位</source>
        <translation>已定位</translation>
    </message>
    <message>
        <source>成 功</source>
        <translation>成 功</translation>
    </message>
    <message>
        <source>正在校准遥控器行程，请拨动摇杆至极限位置状态后，点击写入参数完成校准</source>
        <translation>正在校准遥控器行程，请拨动摇杆至极限位置状态后，点击写入参数完成校准</translation>
    </message>
    <message>
        <source>没有打开串口的权限。TAVRO 的 udev 规则已安装：请拔下飞控再重新插上。
仍然不行时，把当前用户加入 dialout 组，注销并重新登录后再插上飞控：
sudo usermod -aG dialout $USER</source>
        <translation>没有打开串口的权限。TAVRO 的 udev 规则已安装：请拔下飞控再重新插上。
仍然不行时，把当前用户加入 dialout 组，注销并重新登录后再插上飞控：
sudo usermod -aG dialout $USER</translation>
    </message>
    <message>
        <source>没有打开串口的权限。请任选其一，完成后拔下飞控再重新插上：
1. 安装 TAVRO 的 udev 规则（规则文件在源码的 tools/linux/ 中）：
sudo cp tools/linux/70-tavro.rules /etc/udev/rules.d/
sudo udevadm control --reload-rules
2. 把当前用户加入 dialout 组，然后注销并重新登录：
sudo usermod -aG dialout $USER</source>
        <translation>没有打开串口的权限。请任选其一，完成后拔下飞控再重新插上：
1. 安装 TAVRO 的 udev 规则（规则文件在源码的 tools/linux/ 中）：
sudo cp tools/linux/70-tavro.rules /etc/udev/rules.d/
sudo udevadm control --reload-rules
2. 把当前用户加入 dialout 组，然后注销并重新登录：
sudo usermod -aG dialout $USER</translation>
    </message>
    <message>
        <source>直升机型号</source>
        <translation>直升机型号</translation>
    </message>
    <message>
        <source>警报</source>
        <translation>警报</translation>
    </message>
    <message>
        <source>连 接</source>
        <translation>连 接</translation>
    </message>
    <message>
        <source>选择端口</source>
        <translation>选择端口</translation>
    </message>
    <message>
        <source>遥控器</source>
        <translation>遥控器</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>错误警告：</source>
        <translation>错误警告：</translation>
    </message>
    <message>
        <source>飞行时长：</source>
        <translation>飞行时长：</translation>
    </message>
</context>
<context>
    <name>ModelPage</name>
    <message>
        <source>找不到指定参数文件</source>
        <translation>找不到指定参数文件</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>警告</translation>
    </message>
</context>
<context>
    <name>ModelPresets</name>
    <message>
        <source>是否将飞控重置为Alder参数</source>
        <translation>是否将飞控重置为Alder参数</translation>
    </message>
    <message>
        <source>是否将飞控重置为Birch-2blades参数</source>
        <translation>是否将飞控重置为Birch-2blades参数</translation>
    </message>
    <message>
        <source>是否将飞控重置为Birch-4blades参数</source>
        <translation>是否将飞控重置为Birch-4blades参数</translation>
    </message>
    <message>
        <source>是否将飞控重置为Cedar-2blades参数</source>
        <translation>是否将飞控重置为Cedar-2blades参数</translation>
    </message>
    <message>
        <source>是否将飞控重置为Cedar-4blades参数</source>
        <translation>是否将飞控重置为Cedar-4blades参数</translation>
    </message>
    <message>
        <source>是否将飞控重置为Elm-V3参数</source>
        <translation>是否将飞控重置为Elm-V3参数</translation>
    </message>
    <message>
        <source>是否将飞控重置为Ember参数</source>
        <translation>是否将飞控重置为Ember参数</translation>
    </message>
    <message>
        <source>是否将飞控重置为Fir参数</source>
        <translation>是否将飞控重置为Fir参数</translation>
    </message>
    <message>
        <source>是否将飞控重置为Hazel参数</source>
        <translation>是否将飞控重置为Hazel参数</translation>
    </message>
    <message>
        <source>是否将飞控重置为Juniper参数</source>
        <translation>是否将飞控重置为Juniper参数</translation>
    </message>
    <message>
        <source>是否将飞控重置为Linden参数</source>
        <translation>是否将飞控重置为Linden参数</translation>
    </message>
    <message>
        <source>是否将飞控重置为Maple参数</source>
        <translation>是否将飞控重置为Maple参数</translation>
    </message>
    <message>
        <source>是否将飞控重置为Oak参数</source>
        <translation>是否将飞控重置为Oak参数</translation>
    </message>
    <message>
        <source>是否将飞控重置为Pine参数</source>
        <translation>是否将飞控重置为Pine参数</translation>
    </message>
    <message>
        <source>是否将飞控重置为Rowan参数</source>
        <translation>是否将飞控重置为Rowan参数</translation>
    </message>
    <message>
        <source>是否将飞控重置为Spruce参数</source>
        <translation>是否将飞控重置为Spruce参数</translation>
    </message>
</context>
<context>
    <name>OutOfRangeMark</name>
    <message>
        <source>飞控中的值 %1 超出可调范围 %2 – %3</source>
        <translation>飞控中的值 %1 超出可调范围 %2 – %3</translation>
    </message>
</context>
<context>
    <name>ParamFileChecker</name>
    <message>
        <source>……另有 %1 条</source>
        <translation>……另有 %1 条</translation>
    </message>
    <message>
        <source>此文件是 %1 编码的文本，参数文件须为 UTF-8 文本：请另存为 UTF-8 后重试。</source>
        <translation>此文件是 %1 编码的文本，参数文件须为 UTF-8 文本：请另存为 UTF-8 后重试。</translation>
    </message>
    <message>
        <source>此文件第一行含有空字节，不是文本文件（二进制文件？）：参数文件须为 UTF-8 文本，请另存为 UTF-8 后重试。</source>
        <translation>此文件第一行含有空字节，不是文本文件（二进制文件？）：参数文件须为 UTF-8 文本，请另存为 UTF-8 后重试。</translation>
    </message>
    <message>
        <source>第%1行：%2 在第%3行和第%1行的值不同（%4 和 %5），均不写入</source>
        <translation>第%1行：%2 在第%3行和第%1行的值不同（%4 和 %5），均不写入</translation>
    </message>
    <message>
        <source>第%1行：%2：%3 太小，32 位浮点数会将其写成 0</source>
        <translation>第%1行：%2：%3 太小，32 位浮点数会将其写成 0</translation>
    </message>
    <message>
        <source>第%1行：%2：%3 超出 32 位浮点数的范围</source>
        <translation>第%1行：%2：%3 超出 32 位浮点数的范围</translation>
    </message>
    <message>
        <source>第%1行：不是 UTF-8 文本：%2</source>
        <translation>第%1行：不是 UTF-8 文本：%2</translation>
    </message>
    <message>
        <source>第%1行：不是“名称,数值”格式：%2</source>
        <translation>第%1行：不是“名称,数值”格式：%2</translation>
    </message>
    <message>
        <source>第%1行：不是参数名（1-16 个字母、数字或下划线）：%2</source>
        <translation>第%1行：不是参数名（1-16 个字母、数字或下划线）：%2</translation>
    </message>
    <message>
        <source>第%1行：不是数字：%2</source>
        <translation>第%1行：不是数字：%2</translation>
    </message>
    <message>
        <source>第%1行：含有空字节：%2</source>
        <translation>第%1行：含有空字节：%2</translation>
    </message>
    <message>
        <source>第%1行：提示：%2 与第%3行重复，值相同</source>
        <translation>第%1行：提示：%2 与第%3行重复，值相同</translation>
    </message>
    <message>
        <source>第%1行：注释须单独成行：%2</source>
        <translation>第%1行：注释须单独成行：%2</translation>
    </message>
    <message>
        <source>第%1行：飞控没有参数 %2</source>
        <translation>第%1行：飞控没有参数 %2</translation>
    </message>
</context>
<context>
    <name>ParamFileLoader</name>
    <message>
        <source>找不到指定参数文件</source>
        <translation>找不到指定参数文件</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>警告</translation>
    </message>
</context>
<context>
    <name>ParamFilesBar</name>
    <message>
        <source>保存参数...</source>
        <translation>保存参数...</translation>
    </message>
    <message>
        <source>加载参数...</source>
        <translation>加载参数...</translation>
    </message>
    <message>
        <source>参数快照...</source>
        <translation>参数快照...</translation>
    </message>
</context>
<context>
    <name>ParameterTableModel</name>
    <message>
        <source>主旋翼页：十字盘舵机 %1 中位；单位微秒</source>
        <translation>主旋翼页：十字盘舵机 %1 中位；单位微秒</translation>
    </message>
    <message>
        <source>主旋翼页：十字盘舵机 %1 反向，1 为反向；无单位</source>
        <translation>主旋翼页：十字盘舵机 %1 反向，1 为反向；无单位</translation>
    </message>
    <message>
        <source>主旋翼页：十字盘调整时的手动舵机模式，0 为关闭；无单位</source>
        <translation>主旋翼页：十字盘调整时的手动舵机模式，0 为关闭；无单位</translation>
    </message>
    <message>
        <source>主旋翼页：总距上限位置；单位微秒</source>
        <translation>主旋翼页：总距上限位置；单位微秒</translation>
    </message>
    <message>
        <source>主旋翼页：总距下限位置；单位微秒</source>
        <translation>主旋翼页：总距下限位置；单位微秒</translation>
    </message>
    <message>
        <source>写入 %1 未收到确认，表中的值 %2 是最后一次读到的值</source>
        <translation>写入 %1 未收到确认，表中的值 %2 是最后一次读到的值</translation>
    </message>
    <message>
        <source>写入 %1 未被接受，飞控保留 %2</source>
        <translation>写入 %1 未被接受，飞控保留 %2</translation>
    </message>
    <message>
        <source>写入状态</source>
        <translation>写入状态</translation>
    </message>
    <message>
        <source>名称</source>
        <translation>名称</translation>
    </message>
    <message>
        <source>对比</source>
        <translation>对比</translation>
    </message>
    <message>
        <source>对比：%1</source>
        <translation>对比：%1</translation>
    </message>
    <message>
        <source>工程参数页：严重低电量的单节电压，0 为关闭；单位伏</source>
        <translation>工程参数页：严重低电量的单节电压，0 为关闭；单位伏</translation>
    </message>
    <message>
        <source>工程参数页：低电量返航的单节电压，0 为关闭；单位伏</source>
        <translation>工程参数页：低电量返航的单节电压，0 为关闭；单位伏</translation>
    </message>
    <message>
        <source>工程参数页：俯仰感度，0.02 到 0.08；无单位</source>
        <translation>工程参数页：俯仰感度，0.02 到 0.08；无单位</translation>
    </message>
    <message>
        <source>工程参数页：像真机写入的主旋翼转速（油门值）；单位百分比</source>
        <translation>工程参数页：像真机写入的主旋翼转速（油门值）；单位百分比</translation>
    </message>
    <message>
        <source>工程参数页：像真机显示的主旋翼转速；单位百分比</source>
        <translation>工程参数页：像真机显示的主旋翼转速；单位百分比</translation>
    </message>
    <message>
        <source>工程参数页：刹车力度，50 到 500；单位厘米每二次方秒</source>
        <translation>工程参数页：刹车力度，50 到 500；单位厘米每二次方秒</translation>
    </message>
    <message>
        <source>工程参数页：小型机的主旋翼转速（油门值）；单位百分比</source>
        <translation>工程参数页：小型机的主旋翼转速（油门值）；单位百分比</translation>
    </message>
    <message>
        <source>工程参数页：横滚感度，0.02 到 0.08；无单位</source>
        <translation>工程参数页：横滚感度，0.02 到 0.08；无单位</translation>
    </message>
    <message>
        <source>工程参数页：锁尾感度，0.15 到 0.35；无单位</source>
        <translation>工程参数页：锁尾感度，0.15 到 0.35；无单位</translation>
    </message>
    <message>
        <source>已确认</source>
        <translation>已确认</translation>
    </message>
    <message>
        <source>数值</source>
        <translation>数值</translation>
    </message>
    <message>
        <source>未接受，保留 %1</source>
        <translation>未接受，保留 %1</translation>
    </message>
    <message>
        <source>未确认，仍为 %1</source>
        <translation>未确认，仍为 %1</translation>
    </message>
    <message>
        <source>正在写入 %1</source>
        <translation>正在写入 %1</translation>
    </message>
    <message>
        <source>电压校准对话框：电池电压测量倍数；无单位</source>
        <translation>电压校准对话框：电池电压测量倍数；无单位</translation>
    </message>
    <message>
        <source>直升机型号页：当前机型编号，决定可选的预设；无单位</source>
        <translation>直升机型号页：当前机型编号，决定可选的预设；无单位</translation>
    </message>
    <message>
        <source>窗口顶部：累计飞行时间，按分钟显示；单位秒</source>
        <translation>窗口顶部：累计飞行时间，按分钟显示；单位秒</translation>
    </message>
    <message>
        <source>说明</source>
        <translation>说明</translation>
    </message>
    <message>
        <source>遥控器页：机架类别，11 时第一个开关显示手动模式；无单位</source>
        <translation>遥控器页：机架类别，11 时第一个开关显示手动模式；无单位</translation>
    </message>
    <message>
        <source>遥控器页：第二串口的协议，2 为数传时开关标签随之改变；无单位</source>
        <translation>遥控器页：第二串口的协议，2 为数传时开关标签随之改变；无单位</translation>
    </message>
    <message>
        <source>遥控器页：遥控通道 %1 中位；单位微秒</source>
        <translation>遥控器页：遥控通道 %1 中位；单位微秒</translation>
    </message>
    <message>
        <source>遥控器页：遥控通道 %1 行程最大值；单位微秒</source>
        <translation>遥控器页：遥控通道 %1 行程最大值；单位微秒</translation>
    </message>
    <message>
        <source>遥控器页：遥控通道 %1 行程最小值；单位微秒</source>
        <translation>遥控器页：遥控通道 %1 行程最小值；单位微秒</translation>
    </message>
</context>
<context>
    <name>PopUpWidget</name>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;&amp;nbsp;&amp;nbsp;&amp;nbsp;&amp;nbsp;&amp;nbsp;&amp;nbsp;请将电池充满电后，用精确的电压表测量XT60插头上的准确电压，例如：你测量到的电压是&lt;span style=&quot; font-weight:700;&quot;&gt;16.6V&lt;/span&gt;，那么请勾选&lt;span style=&quot; font-weight:700;&quot;&gt;16.6V&lt;/span&gt;，然后连接电池到直升机，等待飞控测量电压显示稳定后，点击&lt;span style=&quot; font-weight:700;&quot;&gt;写入电压&lt;/span&gt;。&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;&amp;nbsp;&amp;nbsp;&amp;nbsp;&amp;nbsp;&amp;nbsp;&amp;nbsp;请将电池充满电后，用精确的电压表测量XT60插头上的准确电压，例如：你测量到的电压是&lt;span style=&quot; font-weight:700;&quot;&gt;16.6V&lt;/span&gt;，那么请勾选&lt;span style=&quot; font-weight:700;&quot;&gt;16.6V&lt;/span&gt;，然后连接电池到直升机，等待飞控测量电压显示稳定后，点击&lt;span style=&quot; font-weight:700;&quot;&gt;写入电压&lt;/span&gt;。&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>写入失败</source>
        <translation>写入失败</translation>
    </message>
    <message>
        <source>写入电压</source>
        <translation>写入电压</translation>
    </message>
    <message>
        <source>成功</source>
        <translation>成功</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>未读取到有效的电压系数BATT_VOLT_MULT，禁止写入</source>
        <translation>未读取到有效的电压系数BATT_VOLT_MULT，禁止写入</translation>
    </message>
    <message>
        <source>校准完成</source>
        <translation>校准完成</translation>
    </message>
    <message>
        <source>用户输入电压与飞控测量电压差超过1.5V，禁止写入</source>
        <translation>用户输入电压与飞控测量电压差超过1.5V，禁止写入</translation>
    </message>
    <message>
        <source>电压异常</source>
        <translation>电压异常</translation>
    </message>
    <message>
        <source>电压校准完成</source>
        <translation>电压校准完成</translation>
    </message>
    <message>
        <source>等待飞控确认</source>
        <translation>等待飞控确认</translation>
    </message>
    <message>
        <source>请选择电压</source>
        <translation>请选择电压</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>飞控未确认新的电压系数，写入失败</source>
        <translation>飞控未确认新的电压系数，写入失败</translation>
    </message>
    <message>
        <source>飞控测量电压: %1 V</source>
        <translation>飞控测量电压: %1 V</translation>
    </message>
    <message>
        <source>飞控测量电压无效，禁止写入</source>
        <translation>飞控测量电压无效，禁止写入</translation>
    </message>
</context>
<context>
    <name>RotorPage</name>
    <message>
        <source>  - 13°</source>
        <translation>  - 13°</translation>
    </message>
    <message>
        <source>  ＋13°</source>
        <translation>  ＋13°</translation>
    </message>
    <message>
        <source> 斜盘调平</source>
        <translation> 斜盘调平</translation>
    </message>
    <message>
        <source>前</source>
        <translation>前</translation>
    </message>
    <message>
        <source>右</source>
        <translation>右</translation>
    </message>
    <message>
        <source>左</source>
        <translation>左</translation>
    </message>
    <message>
        <source>正螺距</source>
        <translation>正螺距</translation>
    </message>
    <message>
        <source>舵机回中</source>
        <translation>舵机回中</translation>
    </message>
    <message>
        <source>螺距调整</source>
        <translation>螺距调整</translation>
    </message>
    <message>
        <source>调整完成</source>
        <translation>调整完成</translation>
    </message>
    <message>
        <source>负螺距</source>
        <translation>负螺距</translation>
    </message>
</context>
<context>
    <name>SafeChanges</name>
    <message>
        <source>保存参数</source>
        <translation>保存参数</translation>
    </message>
    <message>
        <source>写入</source>
        <translation>写入</translation>
    </message>
    <message>
        <source>加载参数</source>
        <translation>加载参数</translation>
    </message>
    <message>
        <source>参数快照无法保存：文件夹不可写</source>
        <translation>参数快照无法保存：文件夹不可写</translation>
    </message>
    <message>
        <source>参数文件 (*.param)</source>
        <translation>参数文件 (*.param)</translation>
    </message>
    <message>
        <source>参数文件 (*.param);;所有文件 (*)</source>
        <translation>参数文件 (*.param);;所有文件 (*)</translation>
    </message>
    <message>
        <source>参数无法保存到 %1</source>
        <translation>参数无法保存到 %1</translation>
    </message>
    <message>
        <source>恢复</source>
        <translation>恢复</translation>
    </message>
    <message>
        <source>把所选的参数写成 %1 中的值？只写入不同的参数。</source>
        <translation>把所选的参数写成 %1 中的值？只写入不同的参数。</translation>
    </message>
    <message>
        <source>把文件 %1 中的参数写入飞控？</source>
        <translation>把文件 %1 中的参数写入飞控？</translation>
    </message>
    <message>
        <source>把飞控的参数恢复到 %1 的快照？只写入不同的参数。</source>
        <translation>把飞控的参数恢复到 %1 的快照？只写入不同的参数。</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>文件的编码是 %1，不是 UTF-8。请把文件另存为 UTF-8 后再加载。</source>
        <translation>文件的编码是 %1，不是 UTF-8。请把文件另存为 UTF-8 后再加载。</translation>
    </message>
    <message>
        <source>新下载的参数显示：中断时未确认的 %1 个参数已经写入。</source>
        <translation>新下载的参数显示：中断时未确认的 %1 个参数已经写入。</translation>
    </message>
    <message>
        <source>新下载的参数显示：中断时未确认的参数中有 %1 个已经写入。
继续写入剩余的 %2 个参数吗？</source>
        <translation>新下载的参数显示：中断时未确认的参数中有 %1 个已经写入。
继续写入剩余的 %2 个参数吗？</translation>
    </message>
    <message>
        <source>无法读取参数文件 %1</source>
        <translation>无法读取参数文件 %1</translation>
    </message>
    <message>
        <source>机型已改变，需要重启飞控才能生效。</source>
        <translation>机型已改变，需要重启飞控才能生效。</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>请先连接飞控。</source>
        <translation>请先连接飞控。</translation>
    </message>
    <message>
        <source>这个快照已损坏，无法读取，不能用来恢复。</source>
        <translation>这个快照已损坏，无法读取，不能用来恢复。</translation>
    </message>
    <message>
        <source>这个快照来自不完整的参数下载，不能用来整体恢复。</source>
        <translation>这个快照来自不完整的参数下载，不能用来整体恢复。</translation>
    </message>
    <message>
        <source>重启飞控并重新连接吗？</source>
        <translation>重启飞控并重新连接吗？</translation>
    </message>
</context>
<context>
    <name>SnapshotsDialog</name>
    <message>
        <source>不完整（不能恢复）</source>
        <translation>不完整（不能恢复）</translation>
    </message>
    <message>
        <source>与当前不同</source>
        <translation>与当前不同</translation>
    </message>
    <message>
        <source>关闭窗口</source>
        <translation>关闭窗口</translation>
    </message>
    <message>
        <source>参数个数</source>
        <translation>参数个数</translation>
    </message>
    <message>
        <source>参数快照</source>
        <translation>参数快照</translation>
    </message>
    <message>
        <source>参数文件 (*.param)</source>
        <translation>参数文件 (*.param)</translation>
    </message>
    <message>
        <source>另存为</source>
        <translation>另存为</translation>
    </message>
    <message>
        <source>另存为...</source>
        <translation>另存为...</translation>
    </message>
    <message>
        <source>完整</source>
        <translation>完整</translation>
    </message>
    <message>
        <source>当前飞控的参数快照（%1）。选择一个快照，可预览并恢复。</source>
        <translation>当前飞控的参数快照（%1）。选择一个快照，可预览并恢复。</translation>
    </message>
    <message>
        <source>恢复...</source>
        <translation>恢复...</translation>
    </message>
    <message>
        <source>无法保存到 %1</source>
        <translation>无法保存到 %1</translation>
    </message>
    <message>
        <source>无法读取</source>
        <translation>无法读取</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>时间</translation>
    </message>
    <message>
        <source>未连接飞控：按飞控列出所有快照，可浏览和另存。</source>
        <translation>未连接飞控：按飞控列出所有快照，可浏览和另存。</translation>
    </message>
    <message>
        <source>机型</source>
        <translation>机型</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>状态</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>还没有快照。</source>
        <translation>还没有快照。</translation>
    </message>
    <message>
        <source>（原始状态）</source>
        <translation>（原始状态）</translation>
    </message>
</context>
<context>
    <name>StatusPage</name>
    <message>
        <source>  CH1</source>
        <translation>  CH1</translation>
    </message>
    <message>
        <source>  CH2</source>
        <translation>  CH2</translation>
    </message>
    <message>
        <source>  CH3</source>
        <translation>  CH3</translation>
    </message>
    <message>
        <source>  CH4</source>
        <translation>  CH4</translation>
    </message>
    <message>
        <source>---</source>
        <translation>---</translation>
    </message>
    <message>
        <source>CH1</source>
        <translation>CH1</translation>
    </message>
    <message>
        <source>CH2</source>
        <translation>CH2</translation>
    </message>
    <message>
        <source>CH3</source>
        <translation>CH3</translation>
    </message>
    <message>
        <source>CH4</source>
        <translation>CH4</translation>
    </message>
    <message>
        <source>CH5</source>
        <translation>CH5</translation>
    </message>
    <message>
        <source>CH6</source>
        <translation>CH6</translation>
    </message>
    <message>
        <source>CH7</source>
        <translation>CH7</translation>
    </message>
    <message>
        <source>CH8</source>
        <translation>CH8</translation>
    </message>
    <message>
        <source>CH9</source>
        <translation>CH9</translation>
    </message>
    <message>
        <source>GPS</source>
        <translation>GPS</translation>
    </message>
    <message>
        <source>GPS星数</source>
        <translation>GPS星数</translation>
    </message>
    <message>
        <source>GPS精度</source>
        <translation>GPS精度</translation>
    </message>
    <message>
        <source>max:</source>
        <translation>max:</translation>
    </message>
    <message>
        <source>min:</source>
        <translation>min:</translation>
    </message>
    <message>
        <source>trim:</source>
        <translation>trim:</translation>
    </message>
    <message>
        <source>一键返航</source>
        <translation>一键返航</translation>
    </message>
    <message>
        <source>上</source>
        <translation>上</translation>
    </message>
    <message>
        <source>上下螺距</source>
        <translation>上下螺距</translation>
    </message>
    <message>
        <source>下</source>
        <translation>下</translation>
    </message>
    <message>
        <source>丢失遥控信号失控保护中</source>
        <translation>丢失遥控信号失控保护中</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>前</source>
        <translation>前</translation>
    </message>
    <message>
        <source>前进后退</source>
        <translation>前进后退</translation>
    </message>
    <message>
        <source>协调转弯</source>
        <translation>协调转弯</translation>
    </message>
    <message>
        <source>右</source>
        <translation>右</translation>
    </message>
    <message>
        <source>后</source>
        <translation>后</translation>
    </message>
    <message>
        <source>启动</source>
        <translation>启动</translation>
    </message>
    <message>
        <source>姿态</source>
        <translation>姿态</translation>
    </message>
    <message>
        <source>左</source>
        <translation>左</translation>
    </message>
    <message>
        <source>左右平移</source>
        <translation>左右平移</translation>
    </message>
    <message>
        <source>开启</source>
        <translation>开启</translation>
    </message>
    <message>
        <source>开始行程校准</source>
        <translation>开始行程校准</translation>
    </message>
    <message>
        <source>当前电压</source>
        <translation>当前电压</translation>
    </message>
    <message>
        <source>手感模式</source>
        <translation>手感模式</translation>
    </message>
    <message>
        <source>旋转方向</source>
        <translation>旋转方向</translation>
    </message>
    <message>
        <source>无电池</source>
        <translation>无电池</translation>
    </message>
    <message>
        <source>未定位</source>
        <translation>未定位</translation>
    </message>
    <message>
        <source>未连接</source>
        <translation>未连接</translation>
    </message>
    <message>
        <source>柔和</source>
        <translation>柔和</translation>
    </message>
    <message>
        <source>标准</source>
        <translation>标准</translation>
    </message>
    <message>
        <source>校准中</source>
        <translation>校准中</translation>
    </message>
    <message>
        <source>校准完成</source>
        <translation>校准完成</translation>
    </message>
    <message>
        <source>模式开关</source>
        <translation>模式开关</translation>
    </message>
    <message>
        <source>点击写入参数</source>
        <translation>点击写入参数</translation>
    </message>
    <message>
        <source>熄火</source>
        <translation>熄火</translation>
    </message>
    <message>
        <source>特技</source>
        <translation>特技</translation>
    </message>
    <message>
        <source>特技航线</source>
        <translation>特技航线</translation>
    </message>
    <message>
        <source>电机锁</source>
        <translation>电机锁</translation>
    </message>
    <message>
        <source>米</source>
        <translation>米</translation>
    </message>
    <message>
        <source>绕8字</source>
        <translation>绕8字</translation>
    </message>
    <message>
        <source>绕圆</source>
        <translation>绕圆</translation>
    </message>
    <message>
        <source>自由</source>
        <translation>自由</translation>
    </message>
    <message>
        <source>请转动摇杆进行校准</source>
        <translation>请转动摇杆进行校准</translation>
    </message>
    <message>
        <source>运动</source>
        <translation>运动</translation>
    </message>
    <message>
        <source>返航</source>
        <translation>返航</translation>
    </message>
    <message>
        <source>遥控信号连接中</source>
        <translation>遥控信号连接中</translation>
    </message>
    <message>
        <source>遥控器</source>
        <translation>遥控器</translation>
    </message>
</context>
<context>
    <name>StatusTextTable</name>
    <message>
        <source>3通道最小值过小</source>
        <translation>3通道最小值过小</translation>
    </message>
    <message>
        <source>加速度计校准完成后需要重启飞控</source>
        <translation>加速度计校准完成后需要重启飞控</translation>
    </message>
    <message>
        <source>加速度计需要校准</source>
        <translation>加速度计需要校准</translation>
    </message>
    <message>
        <source>磁罗盘不正常</source>
        <translation>磁罗盘不正常</translation>
    </message>
    <message>
        <source>磁罗盘受到干扰</source>
        <translation>磁罗盘受到干扰</translation>
    </message>
    <message>
        <source>磁罗盘校准后需要重新启动</source>
        <translation>磁罗盘校准后需要重新启动</translation>
    </message>
    <message>
        <source>磁罗盘计正在校准</source>
        <translation>磁罗盘计正在校准</translation>
    </message>
    <message>
        <source>磁罗盘需要校准</source>
        <translation>磁罗盘需要校准</translation>
    </message>
    <message>
        <source>请把电机锁拨至熄火</source>
        <translation>请把电机锁拨至熄火</translation>
    </message>
    <message>
        <source>请连接接收机</source>
        <translation>请连接接收机</translation>
    </message>
    <message>
        <source>遥控器需要校准</source>
        <translation>遥控器需要校准</translation>
    </message>
</context>
<context>
    <name>TuningPage</name>
    <message>
        <source>低电量返航</source>
        <translation>低电量返航</translation>
    </message>
    <message>
        <source>俯仰感度</source>
        <translation>俯仰感度</translation>
    </message>
    <message>
        <source>全部参数...</source>
        <translation>全部参数...</translation>
    </message>
    <message>
        <source>刹车力度</source>
        <translation>刹车力度</translation>
    </message>
    <message>
        <source>取消校准</source>
        <translation>取消校准</translation>
    </message>
    <message>
        <source>工程参数</source>
        <translation>工程参数</translation>
    </message>
    <message>
        <source>开始校准</source>
        <translation>开始校准</translation>
    </message>
    <message>
        <source>开始磁力计校准...
</source>
        <translation>开始磁力计校准...
</translation>
    </message>
    <message>
        <source>校准完自动重启</source>
        <translation>校准完自动重启</translation>
    </message>
    <message>
        <source>校准成功，必须重启飞控完成校准
</source>
        <translation>校准成功，必须重启飞控完成校准
</translation>
    </message>
    <message>
        <source>校准成功，自动重启飞控完成校准
</source>
        <translation>校准成功，自动重启飞控完成校准
</translation>
    </message>
    <message>
        <source>横滚感度</source>
        <translation>横滚感度</translation>
    </message>
    <message>
        <source>油门值</source>
        <translation>油门值</translation>
    </message>
    <message>
        <source>磁力计校准进度</source>
        <translation>磁力计校准进度</translation>
    </message>
    <message>
        <source>请开始分别绕三个轴旋转
</source>
        <translation>请开始分别绕三个轴旋转
</translation>
    </message>
    <message>
        <source>锁尾感度</source>
        <translation>锁尾感度</translation>
    </message>
</context>
<context>
    <name>WriteBatch</name>
    <message>
        <source>与飞控的连接已断开，写入已停止。</source>
        <translation>与飞控的连接已断开，写入已停止。</translation>
    </message>
    <message>
        <source>已写入并确认：%1 个</source>
        <translation>已写入并确认：%1 个</translation>
    </message>
    <message>
        <source>已发送但未确认：</source>
        <translation>已发送但未确认：</translation>
    </message>
    <message>
        <source>已发送但未确认：%1 个</source>
        <translation>已发送但未确认：%1 个</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>未发送：</source>
        <translation>未发送：</translation>
    </message>
    <message>
        <source>未发送：%1 个</source>
        <translation>未发送：%1 个</translation>
    </message>
    <message>
        <source>等待飞控确认</source>
        <translation>等待飞控确认</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>重新连接飞控后，继续写入剩余的 %1 个参数吗？</source>
        <translation>重新连接飞控后，继续写入剩余的 %1 个参数吗？</translation>
    </message>
    <message>
        <source>（飞控可能已采用这些值，重新下载参数后可看到它们的值）</source>
        <translation>（飞控可能已采用这些值，重新下载参数后可看到它们的值）</translation>
    </message>
</context>
<context>
    <name>WritePreviewDialog</name>
    <message>
        <source>与第 %1 行重复且数值不同</source>
        <translation>与第 %1 行重复且数值不同</translation>
    </message>
    <message>
        <source>与第 %1 行重复（数值相同）</source>
        <translation>与第 %1 行重复（数值相同）</translation>
    </message>
    <message>
        <source>全部 %1 行按文件顺序写入，不变的也写入。</source>
        <translation>全部 %1 行按文件顺序写入，不变的也写入。</translation>
    </message>
    <message>
        <source>写入前确认</source>
        <translation>写入前确认</translation>
    </message>
    <message>
        <source>参数名无效</source>
        <translation>参数名无效</translation>
    </message>
    <message>
        <source>否</source>
        <translation>否</translation>
    </message>
    <message>
        <source>将更改 %1 个参数，%2 个参数不变。</source>
        <translation>将更改 %1 个参数，%2 个参数不变。</translation>
    </message>
    <message>
        <source>数值无效</source>
        <translation>数值无效</translation>
    </message>
    <message>
        <source>数值超出飞控能保存的范围</source>
        <translation>数值超出飞控能保存的范围</translation>
    </message>
    <message>
        <source>是</source>
        <translation>是</translation>
    </message>
    <message>
        <source>格式不是“名称,数值”</source>
        <translation>格式不是“名称,数值”</translation>
    </message>
    <message>
        <source>第 %1 行：%2</source>
        <translation>第 %1 行：%2</translation>
    </message>
    <message>
        <source>跳过的行：%1 个</source>
        <translation>跳过的行：%1 个</translation>
    </message>
    <message>
        <source>飞控没有此参数</source>
        <translation>飞控没有此参数</translation>
    </message>
    <message>
        <source>飞控没有的参数（不写入）：%1 个</source>
        <translation>飞控没有的参数（不写入）：%1 个</translation>
    </message>
    <message>
        <source>（没有要更改的参数）</source>
        <translation>（没有要更改的参数）</translation>
    </message>
</context>
</TS>
