#pragma once

#include "app/UnitFormHelp.h"
#include "blogtype/Tblogconfig.h"

// The help documents of the blog types.
class TFormBlogTypeHelp : public TFormHelp
{
    Q_OBJECT

public:
    explicit TFormBlogTypeHelp(QWidget *parent);

    void SetBlogConfigs(const TBlogConfigList &blogConfigs);

    // Where the user's own blog types go, and the guide to writing one.
    QLabel *LabelUserFolder;
    QPushButton *ButtonGuide;
    QPushButton *ButtonOpenFolder;

private:
    TBlogConfigList FBlogConfigs;
};
