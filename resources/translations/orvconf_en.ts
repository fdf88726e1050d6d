<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>CAboutDlg</name>
    <message>
        <source>关于 ORVCONF</source>
        <translation>About ORVCONF</translation>
    </message>
    <message>
        <source>ORVCONF %1版</source>
        <translation>ORVCONF Version %1</translation>
    </message>
    <message>
        <source>本程序是自由软件，按 GNU 通用公共许可证第 3 版或（由你选择）任何更高版本（GPL-3.0-or-later）发布，不提供任何担保。</source>
        <translation>This program is free software under the GNU General Public License, version 3 or (at your option) any later version (GPL-3.0-or-later), without any warranty.</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>CConfigKeyDlg</name>
    <message>
        <source>连接电台</source>
        <translation>Connect Radio</translation>
    </message>
    <message>
        <source>请按住CONFIG键，在10秒内给QK26上电！</source>
        <translation>Hold the CONFIG key and power the QK26 on within 10 seconds!</translation>
    </message>
    <message>
        <source>剩余时间（秒）：</source>
        <translation>Time left (s):</translation>
    </message>
</context>
<context>
    <name>CLinkModeDlg</name>
    <message>
        <source>设置连接方式</source>
        <translation>Connection Method</translation>
    </message>
    <message>
        <source>加电连接</source>
        <translation>Power-on connection</translation>
    </message>
    <message>
        <source>软诊断</source>
        <translation>Soft diagnosis</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CMainDlg</name>
    <message>
        <source>ORV 5W/25W 设置</source>
        <translation>ORV 5W/25W Settings</translation>
    </message>
    <message>
        <source>QX260 2W 模块设置</source>
        <translation>QX260 2W Module Settings</translation>
    </message>
    <message>
        <source>选择串口</source>
        <translation>Serial port</translation>
    </message>
    <message>
        <source>语言选择</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>使用说明</source>
        <translation>Instructions</translation>
    </message>
    <message>
        <source>中文</source>
        <translation>中文 (Chinese)</translation>
    </message>
    <message>
        <source>English</source>
        <translation>English</translation>
    </message>
    <message>
        <source>关于 ORVCONF(&amp;A)...</source>
        <translation>&amp;About ORVCONF...</translation>
    </message>
    <message>
        <source>端口诊断…</source>
        <translation>Port diagnosis…</translation>
    </message>
    <message>
        <source>保存通信记录…</source>
        <translation>Save traffic log…</translation>
    </message>
    <message>
        <source>保存通信记录</source>
        <translation>Save traffic log</translation>
    </message>
    <message>
        <source>文本文件 (*.txt)</source>
        <translation>Text files (*.txt)</translation>
    </message>
    <message>
        <source>设置文件 (*.json);;All Files(*)</source>
        <translation>Settings files (*.json);;All Files(*)</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>File</translation>
    </message>
    <message>
        <source>打开设置文件…</source>
        <translation>Open settings…</translation>
    </message>
    <message>
        <source>保存设置文件…</source>
        <translation>Save settings…</translation>
    </message>
    <message>
        <source>最近读取</source>
        <translation>Recent reads</translation>
    </message>
    <message>
        <source>查看更改…</source>
        <translation>Review changes…</translation>
    </message>
    <message>
        <source>写入后校验</source>
        <translation>Verify after writing</translation>
    </message>
    <message>
        <source>（无）</source>
        <translation>(none)</translation>
    </message>
    <message>
        <source>打开设置文件</source>
        <translation>Open settings</translation>
    </message>
    <message>
        <source>保存设置文件</source>
        <translation>Save settings</translation>
    </message>
</context>
<context>
    <name>CNoRadioDlg</name>
    <message>
        <source>未检测到电台</source>
        <translation>No radio detected</translation>
    </message>
    <message>
        <source>返回上一页</source>
        <translation>Previous Page</translation>
    </message>
</context>
<context>
    <name>COrvSettingsDlg</name>
    <message>
        <source>导出频道计划（CSV）…</source>
        <translation>Export plan (CSV)…</translation>
    </message>
    <message>
        <source>导入频道计划（CSV）…</source>
        <translation>Import plan (CSV)…</translation>
    </message>
    <message>
        <source>ORV电台设置</source>
        <translation>ORV Radio Settings</translation>
    </message>
    <message>
        <source>协议设置</source>
        <translation>Protocol</translation>
    </message>
    <message>
        <source>BMK透明传输协议</source>
        <translation>BMK transparent protocol</translation>
    </message>
    <message>
        <source>2FSK 4800bps 12.5k带宽</source>
        <translation>2FSK 4800bps 12.5kHz</translation>
    </message>
    <message>
        <source>2FSK 9600bps 25k带宽</source>
        <translation>2FSK 9600bps 25kHz</translation>
    </message>
    <message>
        <source>4FSK 9600bps 12.5k带宽</source>
        <translation>4FSK 9600bps 12.5kHz</translation>
    </message>
    <message>
        <source>4FSK 19200bps 25k带宽</source>
        <translation>4FSK 19200bps 25kHz</translation>
    </message>
    <message>
        <source>Trimtalk450S协议</source>
        <translation>Trimtalk450S protocol</translation>
    </message>
    <message>
        <source>2FSK 9600bps 25k带宽 中继台</source>
        <translation>2FSK 9600bps 25kHz repeater</translation>
    </message>
    <message>
        <source>2FSK 9600bps 25k带宽 中继模式二</source>
        <translation>2FSK 9600bps 25kHz repeater 2</translation>
    </message>
    <message>
        <source>2FSK 9600bps 25k带宽 基站中继模式</source>
        <translation>2FSK 9600bps 25kHz base repeater</translation>
    </message>
    <message>
        <source>Satel 3AS协议</source>
        <translation>Satel 3AS protocol</translation>
    </message>
    <message>
        <source>4FSK 9600bps 12.5k带宽 模式一</source>
        <translation>4FSK 9600bps 12.5kHz mode 1</translation>
    </message>
    <message>
        <source>4FSK 19200bps 25k带宽 模式一</source>
        <translation>4FSK 19200bps 25kHz mode 1</translation>
    </message>
    <message>
        <source>QZ 透明传输协议</source>
        <translation>QZ transparent protocol</translation>
    </message>
    <message>
        <source>BMK FST协议</source>
        <translation>BMK FST protocol</translation>
    </message>
    <message>
        <source>4FSK 9600bps 12.5k带宽 模式二</source>
        <translation>4FSK 9600bps 12.5kHz mode 2</translation>
    </message>
    <message>
        <source>4FSK 19200bps 25k带宽 模式二</source>
        <translation>4FSK 19200bps 25kHz mode 2</translation>
    </message>
    <message>
        <source>检测到未知的协议</source>
        <translation>Unknown protocol detected</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>修改</source>
        <translation>Modify</translation>
    </message>
    <message>
        <source>串口速率</source>
        <translation>Serial port rate</translation>
    </message>
    <message>
        <source>230400</source>
        <translation>230400</translation>
    </message>
    <message>
        <source>115200</source>
        <translation>115200</translation>
    </message>
    <message>
        <source>57600</source>
        <translation>57600</translation>
    </message>
    <message>
        <source>38400</source>
        <translation>38400</translation>
    </message>
    <message>
        <source>28800</source>
        <translation>28800</translation>
    </message>
    <message>
        <source>19200</source>
        <translation>19200</translation>
    </message>
    <message>
        <source>14400</source>
        <translation>14400</translation>
    </message>
    <message>
        <source>9600</source>
        <translation>9600</translation>
    </message>
    <message>
        <source>4800</source>
        <translation>4800</translation>
    </message>
    <message>
        <source>电台地址码</source>
        <translation>Radio address</translation>
    </message>
    <message>
        <source>（1-255）</source>
        <translation>(1-255)</translation>
    </message>
    <message>
        <source>关闭地址</source>
        <translation>Address off</translation>
    </message>
    <message>
        <source>导出频率表</source>
        <translation>Export table</translation>
    </message>
    <message>
        <source>导入频率表</source>
        <translation>Import table</translation>
    </message>
    <message>
        <source>退出设置状态并返回首页</source>
        <translation>Exit Settings and Return Home</translation>
    </message>
    <message>
        <source>信道列表</source>
        <translation>Channel list</translation>
    </message>
    <message>
        <source>%1的模式</source>
        <translation>Mode of %1</translation>
    </message>
    <message>
        <source>电台的串口速率</source>
        <translation>Radio&apos;s serial port rate</translation>
    </message>
</context>
<context>
    <name>CPowerOnWaitDlg</name>
    <message>
        <source>连接好电台数据线，在关机状态下，按电源键开机。</source>
        <translation>Connect the radio&apos;s data cable, then, with the radio off, press its power key.</translation>
    </message>
    <message>
        <source>30秒内，当检测到电台后，会自动进入下一页面</source>
        <translation>Within 30 seconds: once the radio is detected, the next page opens by itself</translation>
    </message>
    <message>
        <source>端口号：</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>剩余时间（秒）：</source>
        <translation>Time left (s):</translation>
    </message>
    <message>
        <source>重新检测</source>
        <translation>Detect Again</translation>
    </message>
    <message>
        <source>返回到首页</source>
        <translation>Back to Home</translation>
    </message>
</context>
<context>
    <name>CQxSettingsDlg</name>
    <message>
        <source>导出频道计划（CSV）…</source>
        <translation>Export plan (CSV)…</translation>
    </message>
    <message>
        <source>导入频道计划（CSV）…</source>
        <translation>Import plan (CSV)…</translation>
    </message>
    <message>
        <source>QX电台设置</source>
        <translation>QX Radio Settings</translation>
    </message>
    <message>
        <source>协议</source>
        <translation>Protocol</translation>
    </message>
    <message>
        <source>协议：</source>
        <translation>Protocol:</translation>
    </message>
    <message>
        <source>工作模式：</source>
        <translation>Work Mode:</translation>
    </message>
    <message>
        <source>调制类型：</source>
        <translation>Modulation:</translation>
    </message>
    <message>
        <source>空中速率：</source>
        <translation>Air Rate:</translation>
    </message>
    <message>
        <source>带宽：</source>
        <translation>Bandwidth:</translation>
    </message>
    <message>
        <source>主通道_TX：</source>
        <translation>Main Ch_TX:</translation>
    </message>
    <message>
        <source>中继器_TX：</source>
        <translation>Repeater_TX:</translation>
    </message>
    <message>
        <source>主通道_RX：</source>
        <translation>Main Ch_RX:</translation>
    </message>
    <message>
        <source>中继器_RX：</source>
        <translation>Repeater_RX:</translation>
    </message>
    <message>
        <source>单元地址：</source>
        <translation>Unit Address:</translation>
    </message>
    <message>
        <source>输出功率：</source>
        <translation>Output Power:</translation>
    </message>
    <message>
        <source>FEC模式：</source>
        <translation>FEC Mode:</translation>
    </message>
    <message>
        <source>端口</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>波特率：</source>
        <translation>Baud Rate:</translation>
    </message>
    <message>
        <source>数据格式：</source>
        <translation>Data Format:</translation>
    </message>
    <message>
        <source>（数据_校验_停止位）</source>
        <translation>(Data_Parity_Stop)</translation>
    </message>
    <message>
        <source>导入列表</source>
        <translation>Import List</translation>
    </message>
    <message>
        <source>导出列表</source>
        <translation>Export List</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>清空</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>退出设置状态并返回首页</source>
        <translation>Exit Settings and Return Home</translation>
    </message>
    <message>
        <source>信道列表</source>
        <translation>Channel list</translation>
    </message>
</context>
<context>
    <name>CReadingDlg</name>
    <message>
        <source>读取配置</source>
        <translation>Reading Settings</translation>
    </message>
    <message>
        <source>正在读取配置，请稍候</source>
        <translation>Reading the settings, please wait</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CReviewDlg</name>
    <message>
        <source>查看更改</source>
        <translation>Review changes</translation>
    </message>
    <message>
        <source>设置将不会改变电台中的任何内容。</source>
        <translation>Set would change nothing on the radio.</translation>
    </message>
    <message>
        <source>设置将改变以下内容：</source>
        <translation>Set would change the following:</translation>
    </message>
</context>
<context>
    <name>CSavingDlg</name>
    <message>
        <source>保存设置</source>
        <translation>Saving Settings</translation>
    </message>
    <message>
        <source>新设置保存中，请稍候......</source>
        <translation>Saving the new settings, please wait......</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CSettingsPage</name>
    <message>
        <source>（离线）</source>
        <translation> (offline)</translation>
    </message>
</context>
<context>
    <name>CSoftDiagDlg</name>
    <message>
        <source>连接电台</source>
        <translation>Connect Radio</translation>
    </message>
    <message>
        <source>尝试软诊断连接电台</source>
        <translation>Trying to connect the radio by soft diagnosis</translation>
    </message>
    <message>
        <source>波特率：</source>
        <translation>Baud rate:</translation>
    </message>
</context>
</TS>
