#include "report_charts.h"

#include <QBuffer>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QPainter>
#include <QSvgGenerator>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QHorizontalBarSeries>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

namespace espa {
namespace {

// The size a chart is laid out at; the page scales it to its width, so this sets the proportions
// and how large the labels are against the plot.
constexpr int kWidth = 900;
constexpr int kOverviewRowHeight = 70;
constexpr int kSamplesHeight = 300;

double Ms(std::int64_t us) {
    return static_cast<double>(us) / 1000.0;
}

// The chart drawn into SVG. The generator writes a whole document; the page takes only its <svg>
// element, as an XML declaration in the middle of the page would make it ill-formed. Its ids
// ("gradient1") are the same in every chart; `prefix` keeps them unique on the page.
std::string Svg(QChart* chart, int height, const QString& title, const QByteArray& prefix) {
    chart->setBackgroundRoundness(0);
    // The theme's 9-pixel labels would shrink to unreadable when the page scales the chart down
    // to a printed page's width.
    QFont font = chart->titleFont();
    font.setPixelSize(16);
    chart->setTitleFont(font);
    font.setPixelSize(13);
    chart->legend()->setFont(font);
    for (QAbstractAxis* axis : chart->axes()) {
        axis->setLabelsFont(font);
        axis->setTitleFont(font);
    }
    QGraphicsScene scene;
    scene.addItem(chart);  // the scene owns the chart from here
    chart->setGeometry(0, 0, kWidth, height);
    // No event loop runs here to lay the chart out when it asks to be: labels sized for the old
    // fonts would break in two.
    chart->layout()->activate();
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(QSize(kWidth, height));
    svg.setViewBox(QRect(0, 0, kWidth, height));
    svg.setTitle(title);
    {
        QPainter painter(&svg);
        scene.render(&painter, QRectF(0, 0, kWidth, height), QRectF(0, 0, kWidth, height));
    }
    QByteArray document = buffer.data();
    document.replace("id=\"", "id=\"" + prefix).replace("url(#", "url(#" + prefix);
    const qsizetype start = document.indexOf("<svg");
    return start < 0 ? std::string() : document.mid(start).trimmed().toStdString();
}

QString KindName(AnswerKind kind) {
    return QString::fromLatin1(AnswerName(kind));
}

std::string Overview(const std::vector<AnswerTimes>& answers) {
    auto* series = new QHorizontalBarSeries;
    const std::pair<const char*, std::int64_t Distribution::*> measures[] = {
        {"min", &Distribution::minUs},
        {"median", &Distribution::medianUs},
        {"95%", &Distribution::p95Us},
        {"max", &Distribution::maxUs},
    };
    // Horizontal bars start at the bottom; reversed, the kinds read down in the table's order.
    const std::vector<AnswerTimes> bottomUp(answers.rbegin(), answers.rend());
    QStringList kinds;
    double longest = 0;
    for (const auto& [name, field] : measures) {
        auto* set = new QBarSet(QString::fromLatin1(name));
        for (const AnswerTimes& a : bottomUp) {
            *set << Ms(a.times.*field);
            longest = std::max(longest, Ms(a.times.*field));
        }
        series->append(set);
    }
    for (const AnswerTimes& a : bottomUp) {
        kinds << KindName(a.kind);
    }
    auto* chart = new QChart;
    chart->setTitle(QStringLiteral("Answer times by kind (ms)"));
    chart->addSeries(series);
    auto* axisY = new QBarCategoryAxis;
    axisY->append(kinds);
    chart->addAxis(axisY, Qt::AlignLeft);
    series->attachAxis(axisY);
    auto* axisX = new QValueAxis;
    axisX->setRange(0, longest > 0 ? longest : 1);
    axisX->applyNiceNumbers();
    chart->addAxis(axisX, Qt::AlignBottom);
    series->attachAxis(axisX);
    chart->legend()->setAlignment(Qt::AlignBottom);
    const int height = 120 + kOverviewRowHeight * static_cast<int>(answers.size());
    return Svg(chart, height, chart->title(), "times-");
}

std::string Samples(const AnswerTimes& answer, int number) {
    auto* series = new QLineSeries;
    double longest = 0;
    int count = 0;
    for (const std::int64_t us : answer.samplesUs) {
        series->append(++count, Ms(us));
        longest = std::max(longest, Ms(us));
    }
    series->setPointsVisible(answer.samplesUs.size() <= 200);
    auto* chart = new QChart;
    chart->setTitle(KindName(answer.kind) + QStringLiteral(", in the order measured (ms)"));
    chart->addSeries(series);
    chart->legend()->hide();
    auto* axisX = new QValueAxis;
    axisX->setRange(1, std::max(count, 2));
    axisX->setLabelFormat(QStringLiteral("%.0f"));
    axisX->applyNiceNumbers();
    axisX->setTitleText(QStringLiteral("answer number"));
    chart->addAxis(axisX, Qt::AlignBottom);
    series->attachAxis(axisX);
    auto* axisY = new QValueAxis;
    axisY->setRange(0, longest > 0 ? longest : 1);
    axisY->applyNiceNumbers();
    axisY->setTitleText(QStringLiteral("ms"));
    chart->addAxis(axisY, Qt::AlignLeft);
    series->attachAxis(axisY);
    return Svg(chart, kSamplesHeight, chart->title(), "kind" + QByteArray::number(number) + "-");
}

}  // namespace

std::vector<std::string> AnswerTimeCharts(const RunReport& report) {
    std::vector<std::string> charts;
    if (report.answers.empty()) {
        return charts;
    }
    charts.push_back(Overview(report.answers));
    int number = 0;
    for (const AnswerTimes& answer : report.answers) {
        if (!answer.samplesUs.empty()) {
            charts.push_back(Samples(answer, ++number));
        }
    }
    return charts;
}

}  // namespace espa
