#include "reports/finalreport.h"

#include "console/record/benchrecord.h"
#include "platform/appendfile.h"
#include "platform/atomicfile.h"
#include "platform/paths.h"
#include "reports/reportfile.h"

#include <QFileInfo>
#include <QObject>
#include <QStringList>

namespace reports {

namespace {

const QString RoutineTestName = QStringLiteral("RoutineTest.csv");

bool sameFile(const QString &a, const QString &b)
{
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    return !canonicalA.isEmpty() && canonicalA == QFileInfo(b).canonicalFilePath();
}

// Empty when the copy is in place, otherwise why not.
QString copyInPlace(const QString &from, const QString &to)
{
    if (sameFile(from, to))
        return {};
    const platform::WriteResult result = platform::copyFileAtomically(from, to);
    return result.ok ? QString() : result.error;
}

} // namespace

QString templateFileName(int styleCode)
{
    const QString style = styleName(styleCode);
    if (style.isEmpty())
        return {};
    return QStringLiteral("Routine_Test_Format_") + style + QStringLiteral(".xlsm");
}

FinalReportResult prepareFinalReport(const BenchRecord &record, const QString &fileName)
{
    QStringList failures;

    const QString reportFile = platform::concatenated(record.SaveFolder, fileName);
    const QString routineTest = platform::concatenated(record.SaveFolder, RoutineTestName);
    // The template must not read a record that a crash cut off.
    const platform::WriteResult finished = platform::finishCutOffAppend(reportFile);
    const QString reportWhy = finished.ok ? copyInPlace(reportFile, routineTest) : finished.error;
    if (!reportWhy.isEmpty())
        failures << QObject::tr("The report file could not be copied to %1: %2").arg(RoutineTestName, reportWhy);

    const QString templateName = templateFileName(record.StyleCode);
    if (!templateName.isEmpty()) {
        const QString from = platform::concatenated(record.TemplateFolder, templateName);
        const QString to = platform::concatenated(record.SaveFolder, templateName);
        const QString templateWhy = copyInPlace(from, to);
        if (!templateWhy.isEmpty())
            failures << QObject::tr("The %1 template could not be copied to the report folder: %2")
                            .arg(styleName(record.StyleCode), templateWhy);
    }

    if (failures.isEmpty())
        return {true, {}};
    return {false, failures.join(QLatin1Char('\n'))};
}

} // namespace reports
