#pragma once
// Texts of the oscilloscope window (TForm5) and its pages, in both languages.
#include "core/TextPair.h"

namespace ordalis::scopetext {

inline const TextPair kCaption{"示波器", "Oscilloscope"};
inline const TextPair kGroupBox2{"参数选项", "Parameter option"};
inline const TextPair kTabSheet3{"跟踪设置", "Trace Setting"};
inline const TextPair kChannel{"通道%1：", "Chn_%1:"};
inline const TextPair kGroupBox3{"触发及时间设置", "Trige&&TraceTimeSetting"};
inline const TextPair kCheckBox1{"单次触发", "Single Trige"};
inline const TextPair kCheckBox2{"自动设置", "Auto Setting"};
inline const TextPair kLabel13{"跟踪时间:", "Trace time:"};
inline const TextPair kLabel14{"采样时间:", "Sample time:"};
inline const TextPair kButton10{"开始跟踪", "StartTrace"};
inline const TextPair kButton11{"停止跟踪", "StopTrace"};
inline const TextPair kButton12{"触发设置", "Trigger setting"};
inline const TextPair kNoChannel{"至少有一个通道有监视量才能启动监视", "Select at least one channel variable!"};

// Signal source and the gain pages.
inline const TextPair kGroupBox1{"信号源", "Signal source"};
inline const TextPair kTabSheet1{"函数发生器", "Fun gen"};
inline const TextPair kTabSheet2{"轨迹产生器", "Traj gen"};
inline const TextPair kLabel1{"运行模式：", "Run Mode:"};
inline const TextPair kLabel2{"曲线类型：", "Curve type:"};
inline const TextPair kLabel3{"幅值：", "Amp:"};
inline const TextPair kLabel4{"频率：", "Frq:"};
inline const TextPair kButton2{"开始", "Start"};
inline const TextPair kButton3{"停止", "Stop"};
inline const TextPair kComboBox1{"位置\r\n速度\r\n电流", "Position\r\nSpeed\r\nTorque"};
inline const TextPair kComboBox2{"梯形\r\n正弦", "Trapezoid\r\nSin"};
inline const TextPair kTabSheet4{"增益参数", "Gain"};
inline const TextPair kTabSheet5{"限制参数", "Limit"};
inline const TextPair kTabSheet6{"监视参数", "Monitor"};
inline const TextPair kTabSheet7{"其它", "Other Setting"};

// Our own: export, status bar, input checks.
inline const TextPair kSaveCsv{"保存CSV", "Save CSV"};
inline const TextPair kSavePng{"保存图片", "Save PNG"};
inline const TextPair kClearCursors{"清除光标", "Clear cursors"};
inline const TextPair kCsvFilter{"CSV 文件 (*.csv)", "CSV files (*.csv)"};
inline const TextPair kPngFilter{"PNG 图片 (*.png)", "PNG pictures (*.png)"};
inline const TextPair kSaved{"已保存 %1", "Saved %1"};
inline const TextPair kSaveFailed{"无法写入 %1", "Could not write %1"};
inline const TextPair kNothingToSave{"还没有采集数据", "No capture yet"};
inline const TextPair kWaiting{"等待记录器完成记录…  %1 s", "Waiting for the recorder…  %1 s"};
inline const TextPair kTransferring{"传输采样 %1 / %2  (%3 s)", "Transferring samples %1 of %2  (%3 s)"};
inline const TextPair kDrawn{"%1 绘制完成：%2 个采样，传输 %3 s", "Drawn at %1: %2 samples, transfer %3 s"};
inline const TextPair kStopped{"已停止", "Stopped"};
inline const TextPair kBadAnswer{"采样应答 %1 字节与通道组（每组 %2 字节）不符，采集中止",
                                 "A sample answer of %1 bytes does not fit the channel set (%2 bytes a set): capture ended"};
inline const TextPair kNoAnswer{"驱动器无应答，采集中止", "The drive stopped answering: capture ended"};
inline const TextPair kReplaced{"跟踪设置已更改，采集中止", "Trace settings changed: capture ended"};
inline const TextPair kRefused{"驱动器拒绝跟踪请求（代码 %1），采集中止", "The drive refused a trace request (code %1): capture ended"};
inline const TextPair kOutOfStep{"记录器未完成时收到采样应答，采集中止",
                                 "Samples arrived before the recorder completed: capture ended"};
inline const TextPair kNoSampling{"记录器容量尚未读出，请稍后再试", "The recorder's capacity is not known yet: try again"};
inline const TextPair kNotSent{"没有连接驱动器", "No drive connected"};
inline const TextPair kNotInteger{"'%1' 不是有效的整数", "'%1' is not a valid integer value"};
inline const TextPair kOutOfRange{"%1 超出范围 %2…%3", "%1 is out of range %2…%3"};

}  // namespace ordalis::scopetext
