#include "app/MainMenus.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <iterator>

namespace ordalis {

namespace {
// depth 0: group of the bar; 1: item of a group; 2: sub-item of the item above.
struct MenuEntry {
    int depth;
    const char* name;
    const char* caption;
};

const MenuEntry kChinese[] = {
    {0, "ChFile", "文件(&F)"},
    {1, "MF_Save", "保存&"},
    {1, "N10", "-"},
    {1, "MF_Recover", "恢复&"},
    {2, "N8", "出厂设置"},
    {2, "N23", "从磁盘文件"},
    {1, "MF_Close", "关闭&"},
    {0, "ChSetting", "驱动器设置(&S)"},
    {1, "CH_MS_AppGuide", "应用向导&"},
    {1, "CH_MS_Jop", "运行调试&"},
    {1, "CH_MS_Osc", "示波器&"},
    {1, "N28", "-"},
    {1, "CH_MS_MotorPara", "电机参数&"},
    {1, "CH_MS_CurLop", "电流环参数&"},
    {1, "CH_MS_VelLop", "速度环参数&"},
    {1, "CH_MS_PosLop", "位置环参数&"},
    {0, "ChTool", "工具(&T)"},
    {1, "CH_MT_ComGuide", "连接向导&"},
    {1, "CH_MT_Lock", "密码锁定/解锁&"},
    {1, "CH_MT_Doctor", "连接诊断…"},
    {0, "chView", "查看(&V)"},
    {1, "CH_MV_IoState", "IO状态&"},
    {1, "CH_MV_AlmState", "报警状态&"},
    {1, "CH_MV_AlmLog", "报警日志&"},
    {1, "CH_MV_Attribute", "驱动器属性&"},
    {1, "CH_MV_ComInfo", "通信记录&"},
    {1, "CH_MV_MotorData", "电机参数&"},
    {0, "ChLang", "语言(&Language)"},
    {1, "chinesesim", "简体中文(&Chs)"},
    {1, "English1", "英文(&English)"},
    {0, "ChHelp", "帮助(&H)"},
    {1, "N30", "软件应用&"},
};

const MenuEntry kEnglish[] = {
    {0, "EnFile", "&File "},
    {1, "Save1", "&Save"},
    {1, "SaveAs1", "Recover ...&"},
    {2, "DriveDefault1", "Drive Default"},
    {2, "FromDisk1", "From Disk..."},
    {1, "N12", "-"},
    {1, "Exit1", "E&xit"},
    {0, "EnSetting", "&Setting "},
    {1, "EN_MS_AppGuide", "Application"},
    {1, "EN_MS_Jop", "Graphical debug"},
    {1, "EN_MS_Osc", "Try/Jog"},
    {1, "Cut1", "-"},
    {1, "EN_MS_MotorPara", "Motor Data"},
    {1, "EN_MS_CurLop", "Trq Loop"},
    {1, "EN_MS_VelLop", "Vel Loop"},
    {1, "EN_MS_PosLop", "Pos Loop"},
    {0, "EnTool", "&Tools "},
    {1, "EN_MT_ComGuide", "Connection Wizard"},
    {1, "FA", "Password Lock/unlock"},
    {1, "EN_MT_Doctor", "Connection doctor…"},
    {0, "EnView", "&View "},
    {1, "EN_MV_IoState", "Input && Output"},
    {1, "EN_MV_AlmState", "Alarm && Warning"},
    {1, "EN_MV_AlmLog", "Fault Log"},
    {1, "EN_MV_Attribute", "Device Properties"},
    {1, "EN_MV_MotorData", "Motor Data"},
    {1, "EN_MV_ComInfo", "Communication Log"},
    {0, "EnLang", "&Language "},
    {1, "Chinese1", "Simplified &Chinese"},
    {1, "English2", "&English"},
    {0, "EnHelp", "&Help "},
};

bool IsCheckable(const QString& name) {
    return name == u"chinesesim" || name == u"English1" || name == u"Chinese1" || name == u"English2";
}

template <size_t N>
QMenuBar* Build(QWidget* parent, const char* barName, const MenuEntry (&entries)[N]) {
    auto* bar = new QMenuBar(parent);
    bar->setObjectName(QString::fromLatin1(barName));
    QMenu* group = nullptr;
    QMenu* sub = nullptr;
    for (size_t i = 0; i < N; ++i) {
        const MenuEntry& e = entries[i];
        const QString name = QString::fromLatin1(e.name);
        const QString caption = QString::fromUtf8(e.caption);
        const bool hasChildren = i + 1 < N && entries[i + 1].depth > e.depth;
        if (e.depth == 0) {
            group = bar->addMenu(caption);
            group->setObjectName(name);
            group->menuAction()->setObjectName(name);
            continue;
        }
        QMenu* into = (e.depth == 1) ? group : sub;
        if (e.depth == 1 && hasChildren) {
            sub = into->addMenu(caption);
            sub->setObjectName(name);
            sub->menuAction()->setObjectName(name);
            continue;
        }
        QAction* action = (caption == u"-") ? into->addSeparator() : into->addAction(caption);
        action->setObjectName(name);
        action->setCheckable(IsCheckable(name));
    }
    return bar;
}
}  // namespace

QMenuBar* BuildChineseMenu(QWidget* parent) {
    return Build(parent, "ChnMenu_Admin", kChinese);
}

QMenuBar* BuildEnglishMenu(QWidget* parent) {
    QMenuBar* bar = Build(parent, "EngMenu_User", kEnglish);
    if (auto* a = bar->findChild<QAction*>(QStringLiteral("EN_MS_AppGuide")))
        a->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_A));
    return bar;
}

}  // namespace ordalis
