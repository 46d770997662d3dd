// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/lineviewaccessible.h"

#include "widgets/accessiblelines.h"
#include "widgets/lineview.h"

#include <QPointer>

void installLineViewAccessibility()
{
    QAccessible::installFactory(lineViewAccessibleFactory);
}

QAccessibleInterface *lineViewAccessibleFactory(const QString &className, QObject *object)
{
    if (className != QLatin1String("LineView") || !object || !object->isWidgetType())
        return nullptr;
    auto *view = qobject_cast<LineView *>(object);
    if (!view)
        return nullptr;
    // The interface lives no longer than the view (Qt drops it when the view goes), but an
    // item may be asked after that: every question checks.
    QPointer<LineView> guarded(view);
    AccessibleLines::Source source;
    source.lineCount = [guarded] { return guarded ? guarded->count() : 0; };
    // A marker is said as one, since a screen reader does not see its colours.
    source.shownText = [guarded](int index) {
        if (!guarded)
            return QString();
        return guarded->isMarker(index) ? QStringLiteral("Vermerk: ") + guarded->lineText(index) : guarded->lineText(index);
    };
    source.area = [guarded](int index) { return guarded ? guarded->lineRect(index) : QRect(); };
    source.lineUnder = [guarded](const QPoint &at) { return guarded ? guarded->lineAt(at) : -1; };
    source.current = [guarded] { return guarded ? guarded->currentLine() : -1; };
    source.selected = [guarded](int index) { return guarded && guarded->isSelected(index); };
    return new AccessibleLines(view, std::move(source));
}
