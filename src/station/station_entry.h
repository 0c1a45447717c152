#pragma once

#include <QObject>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace station {

class StationController;

// What a typed value came to: an empty refusal closes the numeric entry.
struct EntryAnswer {
    std::string refusal;
    // The number itself was refused: the operator types it again.
    bool retype = false;
};

// The numeric entry, the data zoom and the work screen's requests without
// their widgets: what a typed value does to the speed, limits and
// set-points, what an edit of the zoomed list stores, and the start, stop,
// recording and zero-hold buttons.
class EntryControl final : public QObject {
    Q_OBJECT

public:
    explicit EntryControl(StationController& station);

    // ----- numeric entry
    // Whether `target` opens the numeric entry.
    bool Opens(int target) const;
    // What the entry shows first: the speed's number from its readout's
    // caption, or the field's value ("" without one).
    std::string OpeningText(int target, std::string_view speedCaption) const;
    // The typed value checked against the channel and, unless refused,
    // written and sent. A readout hidden since the entry opened writes nothing.
    EntryAnswer TakeValue(int target, std::string_view typed, bool openerShown);

    // ----- data zoom
    // Stored in the method, or refused with a message; the copy shows the
    // value as stored either way.
    void ZoomEdit(int group, int row, const std::string& text);
    // The zoom closed: the set-up lists take its edits.
    void ZoomClosed();

    // ----- work screen
    void Start();
    void Stop();
    // The plot records while no test runs.
    void SetRecording(bool on);
    // The unit's preset zero-hold program, or its stop.
    void HoldZero(bool on);

signals:
    // The zoomed list's lines after an edit.
    void zoomLinesShown(const std::vector<std::string>& lines);

private:
    StationController& station_;
};

}  // namespace station
