#include "engine/standard_method.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numbers>
#include <utility>

#include "engine/testfile.h"
#include "model/cbuffer.h"
#include "model/parametr.h"
#include "platform/clock.h"

StandardMethod::StandardMethod(const MethodEnv& env, std::string methodText)
    : env_(env), text_(std::move(methodText)) {}

std::string StandardMethod::TemplateName() const {
    return TemplateFileName(text_);
}

bool StandardMethod::TemplateExists() const {
    std::error_code ec;
    return std::filesystem::is_regular_file(
        std::filesystem::path(env_.programFolder) / TemplateName(), ec);
}

void StandardMethod::LoadTemplate(C_Parametr& list) const {
    // Only an existing template is read, so a method never used before shows
    // no file error.
    if (TemplateExists()) LoadParams(list, env_, TemplateName());
    // A template never brings back an old date.
    list.SetFromText(list.IndexOf("sDA"), Today());
}

bool StandardMethod::SaveTemplate(const C_Parametr& list) const {
    return SaveParams(list, env_, TemplateName());
}

std::string StandardMethod::Today() const {
    return platform::DateText(env_.clock.Now());
}

std::string StandardMethod::TimeNow() const {
    return platform::TimeText(env_.clock.Now());
}

bool Usable(double v) {
    return std::isfinite(v) && v > 0.0;
}

void SetResult(C_Parametr& list, std::string_view name, double value) {
    const float v = static_cast<float>(value);
    list.SetFloat(name, std::isfinite(v) ? v : 0.0f);
}

void SetForceStress(C_Parametr& list, std::string_view forceName, std::string_view stressName,
                    double value, int yChannel, double area) {
    float force = 0.0f;
    float stress = 0.0f;
    if (Usable(area)) {
        const float v = static_cast<float>(value);
        const float s0 = static_cast<float>(area);
        if (yChannel == 1) {
            force = v;
            stress = v / s0 * 1000.0f;
        } else {
            force = 0.001f * v * s0;
            stress = v;
        }
    }
    if (!forceName.empty()) SetResult(list, forceName, force);
    if (!stressName.empty()) SetResult(list, stressName, stress);
}

void AddMarkers(C_Buffer& buffer, const std::vector<Marker>& markers, int xChannel,
                int valueChannel) {
    const int n = std::min(buffer.GetCount(xChannel), buffer.GetCount(1));
    for (const Marker& m : markers) {
        if (!(m.sample >= 1.0) || !(m.sample < n)) continue;
        const int i = static_cast<int>(m.sample);
        float labelX = 0.0f;
        float labelY = 0.0f;
        if (valueChannel >= 0) {
            labelX = static_cast<float>(buffer.GetValue(valueChannel, i));
            labelY = static_cast<float>(buffer.GetValue(1, i));
        }
        buffer.AddPicPoint(labelX, labelY, m.colour, xChannel, 1, i, m.label);
    }
}

double CircleArea(double d) {
    return std::numbers::pi * d * d * 0.25;
}

double RoundSection(const C_Parametr& list, std::string_view diameter) {
    const double d = list.GetFloat(diameter);
    return Usable(d) ? CircleArea(d) : 0.0;
}

double FlatSection(const C_Parametr& list, std::string_view width, std::string_view thickness) {
    const double a = list.GetFloat(width);
    const double b = list.GetFloat(thickness);
    return Usable(a) && Usable(b) ? a * b : 0.0;
}
