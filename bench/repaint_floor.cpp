// What the window system alone costs per preview frame: a bare Qt window whose only work is to
// repaint small opaque squares at a fixed rate, with none of the tool's code. Prints the
// process's CPU time over the run as a share of one core.
//   xvfb-run -a build/bench/repaint_floor <squares> <period ms> [seconds]
#include <sys/resource.h>

#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kSquareSize = 4;
constexpr int kSettleMs = 2000;

class Square : public QWidget {
public:
    explicit Square(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }
    void setColour(const QColor& colour)
    {
        m_colour = colour;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::black);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_colour);
        painter.drawEllipse(rect());
    }

private:
    QColor m_colour;
};

double cpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: repaint_floor <squares> <period ms> [seconds]\n");
        return 2;
    }
    const int count = std::atoi(argv[1]);
    const int periodMs = std::atoi(argv[2]);
    const int seconds = argc > 3 ? std::atoi(argv[3]) : 15;
    QWidget window;
    window.resize(800, 600);
    std::vector<Square*> squares;
    for (int i = 0; i < count; ++i) {
        squares.push_back(new Square(&window));
        squares.back()->setGeometry(100 + (i % 2) * 95, 90 + (i / 2) * 13, kSquareSize, kSquareSize);
    }
    window.show();
    int frame = 0;
    QTimer frames;
    QObject::connect(&frames, &QTimer::timeout, [&] {
        ++frame;
        for (std::size_t i = 0; i < squares.size(); ++i)
            squares[i]->setColour(QColor::fromHsv(static_cast<int>((frame * 8 + i * 20) % 360), 255, 255));
    });
    frames.start(periodMs);
    double start = 0;
    QTimer::singleShot(kSettleMs, [&] { start = cpuSeconds(); });
    QTimer::singleShot(kSettleMs + seconds * 1000, [&] {
        std::printf("%d squares every %d ms: %.2f %% of one core\n", count, periodMs,
                    (cpuSeconds() - start) * 100.0 / seconds);
        app.quit();
    });
    return app.exec();
}
