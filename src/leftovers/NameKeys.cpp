#include "leftovers/NameKeys.h"

#include "leftovers/LeftoverKeys.h"

namespace zembra::leftovers {

QString companyCapitalized(const QString &companyName)
{
    QString s = companyName.toLower();
    if (!s.isEmpty())
        s[0] = s[0].toTitleCase();
    return s;
}

QString shortLabel(const QString &label)
{
    QString out;
    for (QChar c : label)
        if (c.unicode() >= 0x41 && c.unicode() <= 0x7A)
            out.append(c);
    return out.size() < 2 ? kSmallLabel : out;
}

} // namespace zembra::leftovers
