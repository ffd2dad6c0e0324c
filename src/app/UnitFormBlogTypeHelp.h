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

private:
    TBlogConfigList FBlogConfigs;
};
