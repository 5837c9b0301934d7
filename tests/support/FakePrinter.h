#pragma once
// A scripted printer for the paths a real queue cannot show: no printer, metrics that cannot be
// read, jobs that fail. Installs itself for its lifetime and records what was asked of it.
#include "NkPrinter.h"
#include <QList>
#include <QSize>

namespace qv::test {

class FakePrinter : public TNkPrinter {
public:
    FakePrinter() { setNkPrinter(this); }
    ~FakePrinter() override { setNkPrinter(nullptr); }

    // --- the script ---
    NkPrinterCheck check = NkPrinterCheck::Ready;
    QStringList names{"Fake"};
    bool listFails = false;
    QList<QSize> papers;          // 0.1 mm, in list order
    bool userPaper = false;
    bool metricsFail = false;
    bool beginFails = false;
    bool drawFails = false;
    bool endFails = false;     // the printing service drops the job
    QString problem;           // and says this
    int dpi = 254;             // one pixel per 0.1 mm

    // --- what happened ---
    QSize paper{2100, 2970};
    int scale = 100;
    int paperIndex = 0;
    int applied = 0;
    int jobs = 0, aborted = 0;
    QList<QImage> sheets;

    NkPrinterCheck CheckNoPrinter() override { return check; }
    std::optional<QStringList> Printers() override
    {
        return listFails ? std::nullopt : std::optional<QStringList>(names);
    }
    int GetIndex() override { return names.isEmpty() ? -1 : 0; }
    void SetIndex(int) override {}
    QString PrinterName() override { return names.value(0); }
    bool CanSetPaperSize() override { return true; }
    bool CanSetScale() override { return true; }
    int GetNumPaperSizes() override { return int(papers.size()); }
    std::optional<QStringList> GetPaperSizeNames() override
    {
        QStringList list;
        for (QSize s : papers)
            list << QString("%1x%2").arg(s.width()).arg(s.height());
        return list;
    }
    int GetPaperSizeIndex() override { return paperIndex; }
    void SetPaperSizeIndex(int i) override { paperIndex = i, pending = papers.value(i); }
    bool UserPaperSupported() override { return userPaper; }
    void SetpaperExtent(int w, int h) override { pending = QSize(w, h); }
    void SetScale(int percent) override { scale = percent; }
    void ApplySettings() override
    {
        ++applied;
        if (pending.isValid())
            paper = pending;
    }
    bool SettingsPending() override { return false; }
    std::optional<QSize> PhysicalSize() override
    {
        if (metricsFail)
            return std::nullopt;
        // At 90 % the sheet reads 0.9 times its size, like a driver's scaling.
        const auto px = [&](int tenths) { return qRound(tenths * dpi * 100.0 / 254 / scale); };
        return QSize(px(paper.width()), px(paper.height()));
    }
    std::optional<QSize> PageExtent() override
    {
        const auto s = PhysicalSize();
        return s ? std::optional<QSize>(*s - QSize(2 * margin, 2 * margin)) : std::nullopt;
    }
    std::optional<QPoint> PageOffset() override
    {
        return metricsFail ? std::nullopt : std::optional<QPoint>(QPoint(margin, margin));
    }
    std::optional<int> Resolution() override { return dpi; }
    std::optional<int> Scale() override { return scale; }
    void SetResolution(int d) override { dpi = d; }
    bool BeginDoc(const QString&) override
    {
        ++jobs;
        return !beginFails;
    }
    bool DrawSheet(const QImage& sheet) override
    {
        sheets << sheet;
        return !drawFails;
    }
    bool EndDoc() override { return !endFails; }
    QString JobProblem() override { return beginFails || endFails ? problem : QString(); }
    void Abort() override { ++aborted; }
    bool dialogAnswer = false;
    bool ShowPrintDialog(QWidget*) override { return dialogAnswer; }
    void setOnChange(std::function<void()> callback) override { onChange = std::move(callback); }

    int margin = 0;               // unprintable margin on every side, pixels
    std::function<void()> onChange;

private:
    QSize pending;
};

} // namespace qv::test
