#pragma once

#include <QImage>
#include <QWidget>

#include <memory>

class ReportDocument;
class ReportPainter;

// One page of a report on screen at a given scale. The drawn page is kept as
// an image until the page or the scale changes, so scrolling costs nothing.
class ReportPageWidget : public QWidget
{
    Q_OBJECT

public:
    explicit ReportPageWidget(QWidget *parent = nullptr);
    ~ReportPageWidget() override;

    // nullptr shows nothing.
    void setDocument(const ReportDocument *document);
    void setPage(int index);
    int page() const { return m_page; }

    // Screen pixels per layout unit.
    void setScale(double scale);
    double scale() const { return m_scale; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void render();

    const ReportDocument *m_document = nullptr;
    std::unique_ptr<ReportPainter> m_painter;
    int m_page = 0;
    double m_scale = 0.1;
    QImage m_image;
    bool m_stale = true;
};
