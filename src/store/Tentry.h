#pragma once

#include "platform/Tdatetime.h"

#include <QList>
#include <QString>

// One entry of the blog as stored in the project, with its comment and category ids.
class TEntry
{
public:
    TEntry() = default;

    int GetId() const { return FId; }
    QString GetUrl() const { return FUrl; }
    QString GetTitle() const { return FTitle; }
    TDateTime GetCreatedOn() const { return FCreatedOn; }
    QString GetComment() const { return FComment; }
    void SetComment(const QString &comment) { FComment = comment; }
    QList<int> GetCategoryIds() const { return FCategoryIds; }

private:
    friend class TLdbDb;

    int FId = 0;
    QString FUrl;
    QString FTitle;
    TDateTime FCreatedOn = 0;
    QString FComment;
    QList<int> FCategoryIds;
};

using TEntryList = QList<TEntry>;
