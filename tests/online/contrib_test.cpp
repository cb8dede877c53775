// The Grafana dashboard and the alert rules shipped in contrib/ query only what the
// program exports (online/metrics.h); the rules' behaviour is checked by promtool
// (tests/CMakeLists.txt).
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

#include "online/metrics.h"
#include "support/fixtures.h"

namespace {

QByteArray contribFile(const QString& name)
{
    QFile f(QStringLiteral(TERMIVO_SOURCE_DIR "/contrib/") + name);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
    return f.readAll();
}

// The metric names a PromQL expression selects: its identifiers that are no function
// (followed by "("), operator keyword, label list (of on, by, ...) or label matcher.
QSet<QString> metricsOf(QString expr)
{
    static const QRegularExpression matchers(QStringLiteral("\\{[^}]*\\}"));
    static const QRegularExpression groupings(
        QStringLiteral("\\b(on|by|ignoring|without|group_left|group_right)\\s*\\([^)]*\\)"));
    static const QRegularExpression identifier(QStringLiteral("[A-Za-z_:][A-Za-z0-9_:]*(\\s*\\()?"));
    static const QSet<QString> keywords{"and", "or", "unless", "bool", "offset", "group_left", "group_right"};
    expr.remove(matchers).remove(groupings);
    QSet<QString> names;
    for (auto it = identifier.globalMatch(expr); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (!m.captured(1).isEmpty() || keywords.contains(m.captured(0))) continue;
        names.insert(m.captured(0));
    }
    return names;
}

void collectQueries(const QJsonValue& v, QStringList& exprs)
{
    if (v.isArray()) {
        for (const QJsonValue e : v.toArray()) collectQueries(e, exprs);
    } else if (v.isObject()) {
        const QJsonObject o = v.toObject();
        for (auto it = o.begin(); it != o.end(); ++it) {
            if (it.key() == QLatin1String("expr") && it.value().isString()) exprs << it.value().toString();
            collectQueries(it.value(), exprs);
        }
    }
}

TEST(ContribTest, TheDashboardParsesAndQueriesOnlyExportedMetrics)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(contribFile("grafana/termivo-dashboard.json"), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    const QJsonObject dashboard = doc.object();
    EXPECT_FALSE(dashboard.value("uid").toString().isEmpty());
    QStringList exprs;
    collectQueries(dashboard.value("panels"), exprs);
    ASSERT_FALSE(exprs.isEmpty());
    const QStringList names = exportedMetricNames();
    const QSet<QString> exported(names.begin(), names.end());
    QSet<QString> queried;
    for (const QString& e : exprs) {
        const QSet<QString> used = metricsOf(e);
        EXPECT_FALSE(used.isEmpty()) << e.toStdString();
        queried += used;
    }
    // The device variable lists the devices that the poll reports.
    for (const QJsonValue v : dashboard.value("templating").toObject().value("list").toArray()) {
        const QString q = v.toObject().value("query").toObject().value("query").toString();
        static const QRegularExpression labelValues(QStringLiteral("^label_values\\((\\w+),"));
        if (const auto m = labelValues.match(q); m.hasMatch()) queried.insert(m.captured(1));
    }
    for (const QString& name : queried) EXPECT_TRUE(exported.contains(name)) << name.toStdString();
    // A panel for every quantity, the limits, the devices' answers and the alarms.
    for (const QString& name : exportedMetricNames())
        EXPECT_TRUE(queried.contains(name)) << "not shown: " << name.toStdString();
}

TEST(ContribTest, TheAlertRulesNameOnlyExportedMetrics)
{
    const QString rules = QString::fromUtf8(contribFile("prometheus/termivo-rules.yml"));
    static const QRegularExpression alternation(QStringLiteral("termivo_\\(([a-z_|]+)\\)"));
    static const QRegularExpression name(QStringLiteral("\\btermivo_[a-z_]+"));
    QSet<QString> named;
    for (auto it = alternation.globalMatch(rules); it.hasNext();)
        for (const QString& n : it.next().captured(1).split('|')) named.insert("termivo_" + n);
    QString rest = rules;
    rest.remove(alternation);
    for (auto it = name.globalMatch(rest); it.hasNext();) named.insert(it.next().captured(0));
    const QStringList exported = exportedMetricNames();
    for (const QString& n : named) EXPECT_TRUE(exported.contains(n)) << n.toStdString();
    // The limits rule covers every reading family.
    for (const QString& n : exported) {
        const bool reading = !n.contains("limit") && !n.contains("alarm") && !n.contains("disconnected") &&
                             !n.contains("device_") && !n.contains("poll_");
        EXPECT_TRUE(!reading || named.contains(n)) << "not in the limits rule: " << n.toStdString();
    }
}

}  // namespace
