#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/c_time.h"
#include "controls/canvas.h"
#include "controls/plot_envelope.h"
#include "controls/plot_geometry.h"
#include "controls/plot_labels.h"

class C_Buffer;
class QPaintDevice;

// The curve plot: one pair of channels of a buffer as a curve on a grid with
// numbered axes, the buffer's lines, labelled points and print windows, an
// optional crosshair with a readout, and what the owner draws in OnOutBuffer.
// Everything is drawn into a back buffer that paintEvent copies.
class CGrafic : public QWidget {
    Q_OBJECT

public:
    using Event = std::function<void(CGrafic* sender)>;

    // Interaction modes.
    static constexpr int kPan = 0;
    static constexpr int kZoom = 1;
    static constexpr int kPrint = 2;
    static constexpr int kRegion = 3;

    // Without a counter the crosshair redraws go by the system's clock.
    explicit CGrafic(QWidget* parent = nullptr, const PerformanceCounter* counter = nullptr);
    ~CGrafic() override;

    // ----- properties; colours are 0x00BBGGRR
    std::uint32_t ColorText = 0x000000;
    std::uint32_t ColorGround = 0xFFFFFF;
    std::uint32_t ColorXLabel = 0x000000;
    std::uint32_t ColorYLabel = 0x000000;
    std::uint32_t ColorGrid = 0x00FF00;
    std::uint32_t ColorGrafik = plot::kCurveColors[0];
    std::uint32_t ColorOsi = 0xFF0000;
    std::uint32_t ColorBorder = 0x000000;
    double CouGridX = 10.0;
    double CouGridY = 10.0;
    int LineWidth = 0;
    double BorderX = 50.0;
    double BorderY = 25.0;
    double XMin = 1.0;
    double XMinPred = 0.0;
    double XStart = -1.0;
    double YMin = 1.0;
    double YMinPred = -1.0;
    double YStart = -1.0;
    double ProcGrid = 1.0;
    bool CursorVis = false;
    double Period = 0.0;
    draw::Font Font;
    Event OnOutBuffer;    // inside every full redraw, after background and frame
    Event OnClickMarker;  // declared for owners; nothing selects a marker

    // ----- state
    plot::View view;  // limits, spans, pan, plot area
    int drawOffsetX = 0;
    int drawOffsetY = 0;
    int mode = kPan;
    bool autoscale = true;
    bool autoscaleRequest = false;  // a double click: autoscale at the next redraw
    C_Buffer* buffer = nullptr;
    int chanX = 0;
    int chanY = 0;
    std::string nameX = "X";
    std::string nameY = "Y";
    bool curves = true;
    bool decimation = false;
    int decimationStep = 1;
    bool multi = false;
    plot::ChannelFlags visible{};
    bool buttonHeld = false;
    QPoint pressPos;
    QPoint mousePos;
    double pressPanX = 0.0;
    double pressPanY = 0.0;
    int selectedMarker = -1;
    // Draws a pixel column's samples as their span; off, one segment per
    // sample, which gives the same picture far more slowly.
    bool envelope = true;
    C_Time clock;

    // ----- mapping, data to pixel and back
    double LM_X(double x) const { return view.LM_X(x); }
    double LM_Y(double y) const { return view.LM_Y(y); }
    double ML_X(double px) const { return view.ML_X(px); }
    double ML_Y(double py) const { return view.ML_Y(py); }

    static std::string FormatAxisNumber(double value) { return plot::FormatAxisNumber(value); }
    double MultiGetMin() const;
    double MultiGetMax() const;
    // The colour of a channel in the multi-channel mode; the table of 13
    // repeats above.
    static std::uint32_t ChannelColor(int channel);

    // ----- drawing
    void DrawGrid();
    void DrawMarker();
    void DrawBuffer2() {}

    // For OnOutBuffer handlers and owners: onto the back buffer, in data
    // coordinates.
    void lLine(std::uint32_t colour, double x1, double y1, double x2, double y2);
    void lEllipse(std::uint32_t colour, double x, double y, double r);
    void lRect(std::uint32_t colour, double x1, double y1, double x2, double y2);
    void gPointer(std::uint32_t colour, double x, double y, int r, const std::string& text);
    void gPointInd(std::uint32_t colour, int index, int r, const std::string& text);

    // ----- binding and modes
    void Init(C_Buffer* b, const std::string& xName, const std::string& yName, int xChannel,
              int yChannel);
    void SetChanX(const std::string& name, int channel);
    void SetChanY(const std::string& name, int channel);
    // 0 pan, 1 zoom box, 2 print; 3 autoscale on; 4 region select; 5 removes
    // the print windows.
    void SetMode(int code);
    void SetOrigin(bool autoscaleOn, double xLower, double xUpper, double yLower, double yUpper);

    // Draws the samples added since the last drawing, or redraws all.
    void AddDraw();

    // Renders the plot w x h into a page at (x, y), one grid cell per
    // centimetre; the plot stays in print mode.
    void GET_BUFFER(int x, int y, int w, int h, draw::Canvas& canvas);
    void GET_BUFFER(int x, int y, int w, int h, QPaintDevice& device);

    // ----- mouse, as the control's own events call them
    void MouseDowns(Qt::MouseButton button, int x, int y);
    void MouseMoves(int x, int y);
    void MouseUps(Qt::MouseButton button, int x, int y);
    void MouseDBCLK();

    // The labels of the marked points as last drawn, in the order of the
    // buffer's labelled points.
    const std::vector<QRect>& LabelBoxes() const { return labelBoxes_; }

    // Texts, borders and marker labels grow by this with the window; a page
    // (GET_BUFFER) is always drawn at 1. Redraws when it changes.
    void SetScale(double scale);
    double Scale() const { return scale_; }

    // The axis numbers as last drawn, X first, then Y.
    const std::vector<QRect>& AxisNumberBoxes() const { return numberBoxes_; }

    // The back buffer as last drawn (a copy).
    QImage Picture() const { return back_.copy(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    // Where a live curve goes on from: the last sample drawn of a channel.
    struct Tail {
        int channel = 0;
        std::uint32_t colour = 0;
        bool has = false;
        double px = 0.0;
        double py = 0.0;
    };
    struct OverlayLine {
        double x1, y1, x2, y2;
    };
    class Painting;

    void SizeBackBuffer(int w, int h);
    void ReSizing();
    draw::Canvas& Surface();
    void UseBrush(std::uint32_t colour, draw::BrushStyle style);
    void UsePen(std::uint32_t colour, draw::PenStyle style);
    void DataLine(double x1, double y1, double x2, double y2);
    void PixelLine(double x1, double y1, double x2, double y2);
    void Pointer(double px, double py, int r, const std::string& text);
    plot::ClipRect Clip() const;

    void DrawPrintRects();
    void DrawGridLines();
    // With `scan`, the single curve's pass also rescans the ranges of both
    // channels into it.
    void DrawCurves(plot::Scanned* scan);
    // The curve of one channel against X from sample `from` on, with the
    // mapping of `mapping`, continuing `tail`; returns the pixel box drawn.
    QRect TraceChannel(const plot::View& mapping, int channel, int from, int step, Tail& tail,
                       plot::Scanned* scan = nullptr);
    QRect DrawPath();
    void DrawReadout();
    // What a full redraw draws over the curves: strips, numbers, frame,
    // captions and markers.
    void DrawOverCurves();
    bool CoversOverlay(const QRect& box) const;
    bool AddDrawInView(int n) const;

    QImage back_;
    std::unique_ptr<draw::Canvas> canvas_;
    draw::Canvas* target_ = nullptr;  // a page, during GET_BUFFER only
    std::vector<double> gridX_;
    std::vector<double> gridY_;
    plot::Path path_;
    std::vector<QPoint> points_;

    // Kept from the last full redraw for the live drawing after it.
    plot::View drawnView_;
    std::vector<Tail> tails_;
    int drawnUpTo_ = -1;   // the last sample index drawn
    double drawnX_ = 0.0;  // its X value: a buffer refilled since is not gone on from
    bool drawn_ = false;
    // What is drawn over the curves: boxes, and the lines of the markers.
    std::vector<QRect> overlay_;
    std::vector<OverlayLine> overlayLines_;
    std::vector<QRect> labelBoxes_;
    std::vector<QRect> numberBoxes_;
    double scale_ = 1.0;

    // The scale of the drawing under way: a page keeps its own size.
    double DrawScale() const { return target_ != nullptr ? 1.0 : scale_; }
    // A font size of the plot at the drawing's scale.
    draw::Font ScaledFont(draw::Font f) const;
    int Sc(double pixels) const;
};
