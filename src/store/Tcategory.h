#pragma once

#include <QMap>
#include <QString>

// One stored category row; id 0 is the placeholder that unlinked entries resolve to.
class TCategory
{
public:
    TCategory() = default;

    int GetId() const { return FId; }
    QString GetName() const { return FName; }
    QString GetUrl() const { return FUrl; }

private:
    friend class TLdbDb;

    int FId = 0;
    QString FName;
    QString FUrl;
};

using TCategoryMap = QMap<int, TCategory>;
