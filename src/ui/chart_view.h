#pragma once

#include <QPixmap>
#include <QWidget>

#include <vector>

namespace kestrion::ui {

// A chart of named values: "pie" slices proportional to the values, coloured in order from a
// fixed table, with an optional shadow image under them and a centre disc; or "histpgram"
// pillars as tall as each value's share of the largest, drawn with the pillar image. Item texts
// are drawn, as plain or rich text, when "showtext" is true.
class CChartViewUI : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString view READ view WRITE setView)
    Q_PROPERTY(QString shadowimage READ shadowImage WRITE setShadowImage)
    Q_PROPERTY(int shadowimageheight READ shadowImageHeight WRITE setShadowImageHeight)
    Q_PROPERTY(QString pillarimage READ pillarImage WRITE setPillarImage)
    Q_PROPERTY(int pillarimagewidth READ pillarImageWidth WRITE setPillarImageWidth)
    Q_PROPERTY(bool showhtml READ showHtml WRITE setShowHtml)
    Q_PROPERTY(bool showtext READ showText WRITE setShowText)

public:
    struct Item {
        QString text;
        double value;
    };
    struct Slice {
        int startSixteenths;
        int spanSixteenths;
        QColor colour;
    };

    explicit CChartViewUI(QWidget* parent = nullptr);

    QString view() const { return m_view; }
    void setView(const QString& view);
    QString shadowImage() const { return m_shadowImage; }
    void setShadowImage(const QString& file);
    int shadowImageHeight() const { return m_shadowHeight; }
    void setShadowImageHeight(int height);
    QString pillarImage() const { return m_pillarImage; }
    void setPillarImage(const QString& file);
    int pillarImageWidth() const { return m_pillarWidth; }
    void setPillarImageWidth(int width);
    bool showHtml() const { return m_showHtml; }
    void setShowHtml(bool on);
    bool showText() const { return m_showText; }
    void setShowText(bool on);

    void addItem(const QString& text, double value);
    void clearItems();
    const std::vector<Item>& items() const { return m_items; }

    bool isPie() const;
    // The pie's slices in drawing order (QPainter angles); empty when every value is zero.
    std::vector<Slice> slices() const;
    // The pillars' rectangles in drawing order.
    std::vector<QRect> pillars() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect plotRect() const;
    void paintPie(QPainter& painter);
    void paintPillars(QPainter& painter);
    void paintText(QPainter& painter, const QRect& box, const QString& text);

    QString m_view;
    QString m_shadowImage;
    QString m_pillarImage;
    QPixmap m_shadowPixmap;
    QPixmap m_pillarPixmap;
    int m_shadowHeight = 0;
    int m_pillarWidth = 0;
    bool m_showHtml = false;
    bool m_showText = false;
    std::vector<Item> m_items;
};

}  // namespace kestrion::ui
