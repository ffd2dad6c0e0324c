#include "retrieval/Tcodepage.h"

TCodePage *TCodePage::GetInstance()
{
    static TCodePage instance;
    return &instance;
}

TCodePage::TCodePage() {}

TCodePageId TCodePage::GetCodePage(const QString &) const { return NoCodePage; }
