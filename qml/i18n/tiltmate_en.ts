<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>ORVMessageBox</name>
    <message>
        <source>通知</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
</context>
<context>
    <name>ORVStyle</name>
    <message>
        <source>微软雅黑</source>
        <translation>微软雅黑</translation>
    </message>
</context>
<context>
    <name>ResLanguages</name>
    <message>
        <source>ORV Tiltmate</source>
        <translation>ORV Tiltmate</translation>
    </message>
    <message>
        <source>运行状态</source>
        <translation>Running status</translation>
    </message>
    <message>
        <source>IMU校准</source>
        <translation>IMU calibration</translation>
    </message>
    <message>
        <source>固件升级</source>
        <translation>Firmware upgrade</translation>
    </message>
    <message>
        <source>产品配置</source>
        <translation>Configuration</translation>
    </message>
    <message>
        <source>电机校准</source>
        <translation>Motor calibration</translation>
    </message>
    <message>
        <source>内测参数</source>
        <translation>Test parameters</translation>
    </message>
    <message>
        <source>连接设备失败
请确认设备是否匹配！</source>
        <translation>No answer from the gimbal.
Check that the device is a matching gimbal!</translation>
    </message>
    <message>
        <source>传感器数据</source>
        <translation>Sensor data</translation>
    </message>
    <message>
        <source>角速度</source>
        <translation>Gyro (°/s)</translation>
    </message>
    <message>
        <source>加速度</source>
        <translation>Accel (g)</translation>
    </message>
    <message>
        <source>X轴</source>
        <translation>X axis</translation>
    </message>
    <message>
        <source>Y轴</source>
        <translation>Y axis</translation>
    </message>
    <message>
        <source>Z轴</source>
        <translation>Z axis</translation>
    </message>
    <message>
        <source>转向角</source>
        <translation>Attitude</translation>
    </message>
    <message>
        <source>滚转</source>
        <translation>Roll</translation>
    </message>
    <message>
        <source>俯仰</source>
        <translation>Pitch</translation>
    </message>
    <message>
        <source>指向</source>
        <translation>Yaw</translation>
    </message>
    <message>
        <source>接收机通道</source>
        <translation>Receiver channels</translation>
    </message>
    <message>
        <source>通道索引</source>
        <translation>Channel</translation>
    </message>
    <message>
        <source>状态显示</source>
        <translation>State</translation>
    </message>
    <message>
        <source>模式</source>
        <translation>Mode</translation>
    </message>
    <message>
        <source>拍照</source>
        <translation>Photo</translation>
    </message>
    <message>
        <source>录像</source>
        <translation>Record</translation>
    </message>
    <message>
        <source>变焦</source>
        <translation>Zoom</translation>
    </message>
    <message>
        <source>指向锁定</source>
        <translation>Yaw lock</translation>
    </message>
    <message>
        <source>指向跟随</source>
        <translation>Yaw follow</translation>
    </message>
    <message>
        <source>录像中</source>
        <translation>Recording</translation>
    </message>
    <message>
        <source>停止中</source>
        <translation>Stopped</translation>
    </message>
    <message>
        <source>重置为默认</source>
        <translation>Reset to defaults</translation>
    </message>
    <message>
        <source>恢复默认设置失败
配置文件已损坏或者无法读取！</source>
        <translation>Restoring the defaults failed.
The settings file is damaged or unreadable!</translation>
    </message>
    <message>
        <source>红外不测温VQT35</source>
        <translation>Thermal VQT35</translation>
    </message>
    <message>
        <source>20倍变焦R517K480</source>
        <translation>20x zoom R517K480</translation>
    </message>
    <message>
        <source>10倍变焦PW08Z</source>
        <translation>10x zoom PW08Z</translation>
    </message>
    <message>
        <source>红外测温K1770K</source>
        <translation>Radiometric K1770K</translation>
    </message>
    <message>
        <source>伪彩</source>
        <translation>Palette</translation>
    </message>
    <message>
        <source>打挡</source>
        <translation>Shutter</translation>
    </message>
    <message>
        <source>1倍变焦</source>
        <translation>1x zoom</translation>
    </message>
    <message>
        <source>2倍变焦</source>
        <translation>2x zoom</translation>
    </message>
    <message>
        <source>4倍变焦</source>
        <translation>4x zoom</translation>
    </message>
    <message>
        <source>放大</source>
        <translation>Zoom in</translation>
    </message>
    <message>
        <source>缩小</source>
        <translation>Zoom out</translation>
    </message>
    <message>
        <source>停止变焦</source>
        <translation>Zoom stop</translation>
    </message>
    <message>
        <source>陀螺仪(度/秒)</source>
        <translation>Gyro (°/s)</translation>
    </message>
    <message>
        <source>加速度(g)</source>
        <translation>Accel (g)</translation>
    </message>
    <message>
        <source>静置校准</source>
        <translation>Static calibration</translation>
    </message>
    <message>
        <source>水平校准</source>
        <translation>Level calibration</translation>
    </message>
    <message>
        <source>垂直校准</source>
        <translation>Vertical calibration</translation>
    </message>
    <message>
        <source>开始校准</source>
        <translation>Start calibration</translation>
    </message>
    <message>
        <source>路径:</source>
        <translation>Path:</translation>
    </message>
    <message>
        <source>请选择固件</source>
        <translation>Choose a firmware package</translation>
    </message>
    <message>
        <source>浏览</source>
        <translation>Browse</translation>
    </message>
    <message>
        <source>组件名称</source>
        <translation>Unit</translation>
    </message>
    <message>
        <source>当前固件版本</source>
        <translation>Running version</translation>
    </message>
    <message>
        <source>待更新版本</source>
        <translation>Package version</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>更新</source>
        <translation>Update</translation>
    </message>
    <message>
        <source>吊舱安装方式</source>
        <translation>Mounting</translation>
    </message>
    <message>
        <source>下置</source>
        <translation>Underslung</translation>
    </message>
    <message>
        <source>倒置</source>
        <translation>Inverted</translation>
    </message>
    <message>
        <source>前置</source>
        <translation>Front</translation>
    </message>
    <message>
        <source>吊舱控制方式</source>
        <translation>Control input</translation>
    </message>
    <message>
        <source>显示设置</source>
        <translation>Palette</translation>
    </message>
    <message>
        <source>铁红</source>
        <translation>Ironbow</translation>
    </message>
    <message>
        <source>白热</source>
        <translation>White hot</translation>
    </message>
    <message>
        <source>黑热</source>
        <translation>Black hot</translation>
    </message>
    <message>
        <source>模式设置</source>
        <translation>Mode</translation>
    </message>
    <message>
        <source>使用接收机设置</source>
        <translation>From receiver</translation>
    </message>
    <message>
        <source>始终指向锁定</source>
        <translation>Always lock</translation>
    </message>
    <message>
        <source>始终指向跟随</source>
        <translation>Always follow</translation>
    </message>
    <message>
        <source>接收机通道设置</source>
        <translation>Receiver channels</translation>
    </message>
    <message>
        <source>未定义</source>
        <translation>Undefined</translation>
    </message>
    <message>
        <source>反向</source>
        <translation>Reverse</translation>
    </message>
    <message>
        <source>数值显示</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>重复定义的通道
请检查通道设置，确保各通道只被一种功能使用！</source>
        <translation>A channel is assigned twice.
Check the channel settings: each channel may serve one function only!</translation>
    </message>
    <message>
        <source>上传参数失败
请检查通信链接是否存在问题！</source>
        <translation>Uploading the parameters failed.
Check the serial link!</translation>
    </message>
    <message>
        <source>更新中</source>
        <translation>Updating</translation>
    </message>
    <message>
        <source>电角度零点校准</source>
        <translation>Electrical zero calibration</translation>
    </message>
    <message>
        <source>位置角中心校准</source>
        <translation>Position centre calibration</translation>
    </message>
    <message>
        <source>机芯类型</source>
        <translation>Camera module</translation>
    </message>
    <message>
        <source>PID参数</source>
        <translation>PID parameters</translation>
    </message>
    <message>
        <source>读取</source>
        <translation>Load</translation>
    </message>
    <message>
        <source>请选择参数文件</source>
        <translation>Choose a parameter file</translation>
    </message>
    <message>
        <source>读取参数失败
请检查磁盘设备是否就绪或者是否拥有读写权限！</source>
        <translation>Loading the parameters failed.
Check that the disk is ready and that you may read and write it!</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>保存参数失败
请检查磁盘设备是否就绪或者是否拥有读写权限！</source>
        <translation>Saving the parameters failed.
Check that the disk is ready and that you may read and write it!</translation>
    </message>
    <message>
        <source>上传</source>
        <translation>Upload</translation>
    </message>
    <message>
        <source>上传中</source>
        <translation>Uploading</translation>
    </message>
    <message>
        <source>下载参数失败
请检查通信链接是否存在问题!
重新连接通信口尝试解决该问题。</source>
        <translation>Downloading the parameters failed.
Check the serial link!
Reopen the port to try again.</translation>
    </message>
    <message>
        <source>步骤</source>
        <translation>Steps</translation>
    </message>
    <message>
        <source>更新成功</source>
        <translation>Updated</translation>
    </message>
    <message>
        <source>更新失败</source>
        <translation>Update failed</translation>
    </message>
    <message>
        <source>X轴参数</source>
        <translation>X axis</translation>
    </message>
    <message>
        <source>Y轴参数</source>
        <translation>Y axis</translation>
    </message>
    <message>
        <source>Z轴参数</source>
        <translation>Z axis</translation>
    </message>
    <message>
        <source>ID控制内环</source>
        <translation>Id current loop</translation>
    </message>
    <message>
        <source>比例增益(%);</source>
        <translation>P gain (%);</translation>
    </message>
    <message>
        <source>积分增益(%);</source>
        <translation>I gain (%);</translation>
    </message>
    <message>
        <source>限幅(%);</source>
        <translation>Limit (%);</translation>
    </message>
    <message>
        <source>IQ控制内环</source>
        <translation>Iq current loop</translation>
    </message>
    <message>
        <source>电机角速度闭环</source>
        <translation>Motor rate loop</translation>
    </message>
    <message>
        <source>滚转角度闭环</source>
        <translation>Roll angle loop</translation>
    </message>
    <message>
        <source>俯仰角度闭环(YZ);</source>
        <translation>Pitch angle loop (YZ);</translation>
    </message>
    <message>
        <source>航向角度闭环(YZ);</source>
        <translation>Yaw angle loop (YZ);</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>无法连接设备
请检查通信链接是否存在问题！</source>
        <translation>Cannot connect to the gimbal.
Check the serial link!</translation>
    </message>
    <message>
        <source>
  1.确认三轴电机都处于可自由转动的状态。

  2.手动调节三轴电机使其大致居中。

  3.点击【开始校准】,云台将自动执行电角度零位校准、行程校准。

  4.等待35秒左右后，电角度零位校准、行程校准将自动完成。</source>
        <translation>
  1. Make sure all three motors turn freely.

  2. Centre the three motors roughly by hand.

  3. Click [Start calibration] to calibrate the
     electrical zero and the travel.

  4. Both are done after about 35 s.</translation>
    </message>
    <message>
        <source>
  1.使用校准工具固定住云台，并使镜头指向前方。


  2.点击【开始校准】,云台将自动执行位置角中心校准。


  3.等待10秒左右后，位置角中心校准将自动完成。</source>
        <translation>
  1. Fix the gimbal in the calibration tool,
     lens pointing forward.

  2. Click [Start calibration] to calibrate the
     position centre.

  3. It is done after about 10 s.</translation>
    </message>
    <message>
        <source>连接中</source>
        <translation>Connecting</translation>
    </message>
    <message>
        <source>校准失败
请按照步骤说明再次尝试进行校准！</source>
        <translation>Calibration failed.
Follow the steps and try again!</translation>
    </message>
    <message>
        <source>校准中</source>
        <translation>Calibrating</translation>
    </message>
    <message>
        <source>异常</source>
        <translation>Fault</translation>
    </message>
    <message>
        <source>低档</source>
        <translation>Low</translation>
    </message>
    <message>
        <source>中档</source>
        <translation>Mid</translation>
    </message>
    <message>
        <source>高档</source>
        <translation>High</translation>
    </message>
    <message>
        <source>失控</source>
        <translation>Failsafe</translation>
    </message>
    <message>
        <source>放大焦距</source>
        <translation>Zoom in</translation>
    </message>
    <message>
        <source>缩小焦距</source>
        <translation>Zoom out</translation>
    </message>
    <message>
        <source>启动云台</source>
        <translation>Start gimbal</translation>
    </message>
    <message>
        <source>停止云台</source>
        <translation>Stop gimbal</translation>
    </message>
    <message>
        <source>
  1.确认云台处于静止状态(如右图)。


  2.点击【开始校准】,云台将自动执行静置校准。


  3.等待10秒左右后，静置校准将自动完成。</source>
        <translation>
  1. Keep the gimbal still (see picture).

  2. Click [Start calibration] to run the
     static calibration.

  3. It is done after about 10 s.</translation>
    </message>
    <message>
        <source>
  1.确认相机镜头水平向前(如右图)，且云台处于静止状态。


  2.点击【开始校准】,云台将自动执行水平校准。


  3.等待10秒左右后，水平校准将自动完成。</source>
        <translation>
  1. Lens level and forward (see picture),
     gimbal still.

  2. Click [Start calibration] to run the
     level calibration.

  3. It is done after about 10 s.</translation>
    </message>
    <message>
        <source>
  1.确认相机镜头垂直向上(如右图)，且云台处于静止状态。


  2.点击【开始校准】,云台将自动执行垂直校准。


  3.等待10秒左右后，垂直校准将自动完成。</source>
        <translation>
  1. Lens pointing straight up (see picture),
     gimbal still.

  2. Click [Start calibration] to run the
     vertical calibration.

  3. It is done after about 10 s.</translation>
    </message>
    <message>
        <source>定焦V9</source>
        <translation>Fixed focus V9</translation>
    </message>
    <message>
        <source>红外测温VR-770W</source>
        <translation>Radiometric VR-770W</translation>
    </message>
    <message>
        <source>GoPro</source>
        <translation>GoPro</translation>
    </message>
    <message>
        <source>双光QT5-770V</source>
        <translation>Dual sensor QT5-770V</translation>
    </message>
    <message>
        <source>固件错误！
请确认是否使用了不匹配的固件！</source>
        <translation>Firmware error!
Check that the firmware matches this gimbal!</translation>
    </message>
    <message>
        <source>机芯固件升级</source>
        <translation>Camera FW</translation>
    </message>
    <message>
        <source>机芯固件升级请求未响应或者升级已失败!</source>
        <translation>The camera module did not answer the upgrade request, or the upgrade failed!</translation>
    </message>
    <message>
        <source>8倍变焦</source>
        <translation>8x zoom</translation>
    </message>
    <message>
        <source>16倍变焦</source>
        <translation>16x zoom</translation>
    </message>
    <message>
        <source>红外测温770K-GPS</source>
        <translation>Radiometric 770K-GPS</translation>
    </message>
    <message>
        <source>未定义机型</source>
        <translation>Unknown model</translation>
    </message>
    <message>
        <source>该机型不支持当前的控制方式！</source>
        <translation>This model does not support the chosen control input!</translation>
    </message>
    <message>
        <source>N/A</source>
        <translation>N/A</translation>
    </message>
    <message>
        <source>VQT35</source>
        <translation>VQT35</translation>
    </message>
    <message>
        <source>R517K480</source>
        <translation>R517K480</translation>
    </message>
    <message>
        <source>PW08Z</source>
        <translation>PW08Z</translation>
    </message>
    <message>
        <source>K1770K</source>
        <translation>K1770K</translation>
    </message>
    <message>
        <source>V9</source>
        <translation>V9</translation>
    </message>
    <message>
        <source>VR-770W</source>
        <translation>VR-770W</translation>
    </message>
    <message>
        <source>QT5_770V</source>
        <translation>QT5_770V</translation>
    </message>
    <message>
        <source>固件包中%1的固件有%2字节，超过上限%3字节，已跳过！</source>
        <translation>The package&apos;s firmware for %1 has %2 bytes, more than the limit of %3 bytes; skipped!</translation>
    </message>
    <message>
        <source>固件包中%1的固件不完整，已跳过！</source>
        <translation>The package&apos;s firmware for %1 is incomplete; skipped!</translation>
    </message>
    <message>
        <source>没有权限打开 %1。
该设备属于 %2 组，请执行：
sudo usermod -aG %2 %3
然后注销并重新登录，新的组才会生效。</source>
        <translation>No permission to open %1.
The device belongs to the group %2; run:
sudo usermod -aG %2 %3
then log out and in again for the new group to take effect.</translation>
    </message>
    <message>
        <source>没有权限打开 %1。
用户 %3 已在 %2 组中，但当前登录尚未生效。
请注销并重新登录后再试。</source>
        <translation>No permission to open %1.
User %3 is in the group %2, but the current login does not have it yet.
Log out and in again, then retry.</translation>
    </message>
    <message>
        <source>没有权限打开 %1。
设备权限为 %2，当前用户 %3 无法读写该设备。</source>
        <translation>No permission to open %1.
The device&apos;s mode is %2; user %3 cannot read and write it.</translation>
    </message>
    <message>
        <source>无法打开 %1。
该端口正被其他程序（%2）占用，请先关闭该程序。</source>
        <translation>Cannot open %1.
The port is in use by another program (%2); close that program first.</translation>
    </message>
    <message>
        <source>无法打开 %1。
该端口正被其他程序占用，请先关闭该程序。</source>
        <translation>Cannot open %1.
The port is in use by another program; close that program first.</translation>
    </message>
    <message>
        <source>无法打开 %1。
ModemManager 正在运行，可能正在探测该端口。
请稍候再试，或停止它：sudo systemctl stop ModemManager</source>
        <translation>Cannot open %1.
ModemManager is running and may be probing the port.
Wait and retry, or stop it: sudo systemctl stop ModemManager</translation>
    </message>
    <message>
        <source>无法打开 %1。
该设备已不存在，可能已被拔出。
请重新插入设备后再选择端口。</source>
        <translation>Cannot open %1.
The device is gone; it may have been unplugged.
Plug it in again, then choose the port.</translation>
    </message>
    <message>
        <source>请先选择端口，然后点击【打开】。</source>
        <translation>Choose a port, then click [Open].</translation>
    </message>
    <message>
        <source>端口 %1 已断开，重新插入后将自动重新连接。</source>
        <translation>Port %1 was unplugged; it reconnects when plugged in again.</translation>
    </message>
    <message>
        <source>端口 %1 已重新插入，正在自动重新连接。</source>
        <translation>Port %1 is back; reconnecting.</translation>
    </message>
    <message>
        <source>配置已更新。</source>
        <translation>Configuration updated.</translation>
    </message>
    <message>
        <source>已恢复默认设置并写入云台。</source>
        <translation>Defaults restored and written to the gimbal.</translation>
    </message>
    <message>
        <source>机芯固件升级请求已发送。</source>
        <translation>Camera module upgrade requested.</translation>
    </message>
    <message>
        <source>%1完成。</source>
        <translation>%1 done.</translation>
    </message>
    <message>
        <source>连接已断开，以下为断开前的最后数值。</source>
        <translation>Disconnected: showing the last values.</translation>
    </message>
    <message>
        <source>该机芯只支持 TTL 或 CAN 控制方式，
控制方式已由 %1 改为 CAN 并写入云台。</source>
        <translation>This camera module takes only TTL or CAN control;
control input changed from %1 to CAN and written to the gimbal.</translation>
    </message>
    <message>
        <source>已连接。</source>
        <translation>Connected.</translation>
    </message>
    <message>
        <source>备份配置</source>
        <translation>Back up config</translation>
    </message>
    <message>
        <source>恢复配置</source>
        <translation>Restore config</translation>
    </message>
    <message>
        <source>请选择备份文件的保存位置</source>
        <translation>Choose where to save the backup</translation>
    </message>
    <message>
        <source>请选择要恢复的备份文件</source>
        <translation>Choose the backup file to restore</translation>
    </message>
    <message>
        <source>配置已备份到 %1。</source>
        <translation>Configuration backed up to %1.</translation>
    </message>
    <message>
        <source>备份配置失败！
%1</source>
        <translation>Backing up the configuration failed!
%1</translation>
    </message>
    <message>
        <source>已将 %1 中的配置写入云台并核对无误。</source>
        <translation>The configuration from %1 was written to the gimbal and verified.</translation>
    </message>
    <message>
        <source>备份文件无法使用，未写入任何参数！
%1</source>
        <translation>The backup file cannot be used; no parameter was written!
%1</translation>
    </message>
    <message>
        <source>恢复配置失败！
请检查通信链接是否存在问题！
%1</source>
        <translation>Restoring the configuration failed!
Check the serial link!
%1</translation>
    </message>
    <message>
        <source>恢复配置后读回的数值与备份不一致！
%1</source>
        <translation>The values read back after restoring differ from the backup!
%1</translation>
    </message>
    <message>
        <source>固件升级已结束。
升级前的配置已备份到：
%1
如需恢复该配置，请点击【恢复升级前配置】。</source>
        <translation>Firmware upgrade finished.
The configuration before the upgrade was backed up to:
%1
To restore it, click [Restore pre-upgrade config].</translation>
    </message>
    <message>
        <source>升级前备份配置失败，未写入任何固件！
%1</source>
        <translation>Backing up the configuration before the upgrade failed; no firmware was written!
%1</translation>
    </message>
    <message>
        <source>恢复升级前配置</source>
        <translation>Restore pre-upgrade config</translation>
    </message>
    <message>
        <source>不备份直接升级</source>
        <translation>Upgrade without backup</translation>
    </message>
    <message>
        <source>如果该设备无法读取参数，可点击【不备份直接升级】。</source>
        <translation>If the gimbal cannot answer parameter reads, click [Upgrade without backup].</translation>
    </message>
    <message>
        <source>%1 升级后报告的版本为 %2，不是固件包中的 %3，请重新升级！</source>
        <translation>After the upgrade %1 reports version %2, not the package's %3. Please upgrade it again!</translation>
    </message>
    <message>
        <source>%1 升级后未出现在云台的版本报告中，无法确认固件包中的 %2 已生效！</source>
        <translation>After the upgrade %1 is missing from the gimbal's version report; whether the package's %2 took cannot be confirmed!</translation>
    </message>
    <message>
        <source>升级后云台未应答版本查询，无法确认 %1 已运行固件包中的 %2！</source>
        <translation>The gimbal did not answer the version query after the upgrade; whether %1 runs the package's %2 cannot be confirmed!</translation>
    </message>
    <message>
        <source>无法打开 %1。
该端口正被 %2（进程号 %3）占用，请先关闭该程序。</source>
        <translation>Cannot open %1.
The port is in use by %2 (pid %3); close that program first.</translation>
    </message>
    <message>
        <source>数据曲线</source>
        <translation>Plots</translation>
    </message>
    <message>
        <source>角速度 (°/s)</source>
        <translation>Rotation rate (°/s)</translation>
    </message>
    <message>
        <source>加速度 (g)</source>
        <translation>Acceleration (g)</translation>
    </message>
    <message>
        <source>姿态角 (°)</source>
        <translation>Attitude (°)</translation>
    </message>
    <message>
        <source>时间窗口</source>
        <translation>Time window</translation>
    </message>
    <message>
        <source>%1 秒</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>继续</source>
        <translation>Resume</translation>
    </message>
    <message>
        <source>自动缩放</source>
        <translation>Auto scale</translation>
    </message>
    <message>
        <source>开始记录</source>
        <translation>Record</translation>
    </message>
    <message>
        <source>停止记录</source>
        <translation>Stop recording</translation>
    </message>
    <message>
        <source>记录中：%1</source>
        <translation>Recording: %1</translation>
    </message>
    <message>
        <source>%1 秒，%2 个样本</source>
        <translation>%1 s, %2 samples</translation>
    </message>
    <message>
        <source>无法记录遥测数据！
%1
%2</source>
        <translation>Telemetry cannot be recorded!
%1
%2</translation>
    </message>
    <message>
        <source>遥测记录已保存：%1</source>
        <translation>Telemetry recording saved: %1</translation>
    </message>
    <message>
        <source>最小</source>
        <translation>Min</translation>
    </message>
    <message>
        <source>最大</source>
        <translation>Max</translation>
    </message>
</context>
</TS>
