#pragma once

#include "app/UnitFormHelp.h"
#include "output/Ttemplatemanager.h"

// The help documents of the HTML templates.
class TFormHtmlTemplateHelp : public TFormHelp
{
    Q_OBJECT

public:
    explicit TFormHtmlTemplateHelp(QWidget *parent);

    void SetTemplates(const THtmlTemplateList &templates);

private:
    THtmlTemplateList FTemplates;
};
