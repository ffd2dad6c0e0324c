#pragma once

#include "blogtype/Tblogconfig.h"
#include "store/Tproject.h"

#include <QList>
#include <QString>

struct TFetchControl;

// Reads the blog's own list of categories through the blog type's GetCategoryList
// (given the page GetCategoryListSource names, else the top page), in the blog's
// order. Raises with the reason when the blog type cannot read one or the top page
// cannot be fetched.
QList<TCategoryData> ReadBlogCategories(const TBlogConfig &config, const QString &topUrl,
                                        const TFetchControl &control);

// Adds the found categories the list does not have yet (the same URL), at its end:
// a category already there keeps its name, and none goes. Returns how many were added.
int MergeCategories(QList<TCategoryData> &categories, const QList<TCategoryData> &found);

// "ブログのカテゴリー 5 件のうち 3 件を追加しました。"
QString CategoriesAddedText(int found, int added);
