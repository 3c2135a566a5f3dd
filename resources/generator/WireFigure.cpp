#include "WireFigure.h"

#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace art {

namespace {

struct V3
{
    double x, y, z;
    V3 operator+(V3 o) const { return {x + o.x, y + o.y, z + o.z}; }
    V3 operator-(V3 o) const { return {x - o.x, y - o.y, z - o.z}; }
    V3 operator*(double k) const { return {x * k, y * k, z * k}; }
};

double length(V3 v)
{
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

V3 cross(V3 a, V3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

V3 unit(V3 v)
{
    return v * (1.0 / length(v));
}

using Ring = std::vector<V3>;

// Rings round the segment from a to b; `radius(t)` gives the ring radius along it (t in 0..1),
// `flat` squashes the rings front to back (a torso is deeper across than through).
std::vector<Ring> limb(V3 a, V3 b, int rings, int sides, double flat, double (*radius)(double, double, double),
                       double r0, double r1)
{
    const V3 axis = unit(b - a);
    const V3 side = std::abs(axis.y) > 0.9 ? unit(cross(axis, V3{0, 0, 1})) : unit(cross(axis, V3{0, 1, 0}));
    const V3 front = unit(cross(axis, side));
    std::vector<Ring> out;
    for (int i = 0; i <= rings; ++i) {
        const double t = static_cast<double>(i) / rings;
        const double r = radius(t, r0, r1);
        Ring ring;
        for (int k = 0; k < sides; ++k) {
            const double a2 = 2.0 * std::numbers::pi * k / sides;
            ring.push_back(a + (b - a) * t + side * (std::cos(a2) * r) + front * (std::sin(a2) * r * flat));
        }
        out.push_back(ring);
    }
    return out;
}

// A limb tapers linearly and is rounded off at both ends.
double rounded(double t, double r0, double r1)
{
    const double taper = r0 + (r1 - r0) * t;
    return taper * std::pow(std::sin(std::numbers::pi * (0.08 + 0.84 * t)), 0.45);
}

// The torso: hips, waist, a broad chest, then in to the neck.
double torsoProfile(double t, double, double)
{
    constexpr double p[] = {0.45, 0.56, 0.5, 0.47, 0.55, 0.66, 0.76, 0.82, 0.8, 0.3};
    const double f = t * 9.0;
    const int i = std::min(8, static_cast<int>(f));
    return p[i] + (p[i + 1] - p[i]) * (f - i);
}

double sphere(double t, double r0, double)
{
    return r0 * std::sin(std::numbers::pi * t);
}

struct Pose
{
    V3 pelvis{0, 3.9, 0}, neck{0, 6.8, 0}, head{0, 7.4, 0};
    V3 shoulder[2]{{-0.82, 6.45, 0}, {0.82, 6.45, 0}};
    V3 elbow[2]{{-1.02, 5.15, 0.1}, {1.28, 7.3, 0.15}};
    V3 wrist[2]{{-1.08, 3.95, 0.2}, {1.18, 8.3, 0.05}};
    V3 hip[2]{{-0.36, 3.95, 0}, {0.36, 3.95, 0}};
    V3 knee[2]{{-0.46, 2.1, 0.12}, {0.46, 2.1, 0.08}};
    V3 ankle[2]{{-0.5, 0.3, 0}, {0.5, 0.3, 0}};
    V3 toe[2]{{-0.56, 0.08, 0.55}, {0.56, 0.08, 0.55}};
};

} // namespace

void drawWireFigure(QPainter &p, const FigurePlacement &where, QColor colour)
{
    const Pose pose;
    std::vector<std::vector<Ring>> meshes;
    meshes.push_back(limb(pose.pelvis - V3{0, 0.5, 0}, pose.neck, 9, 12, 0.62, torsoProfile, 0, 0));
    meshes.push_back(limb(pose.head - V3{0, 0.5, 0}, pose.head + V3{0, 0.5, 0}, 6, 10, 0.95, sphere, 0.45, 0));
    meshes.push_back(limb(pose.neck - V3{0, 0.1, 0}, pose.head - V3{0, 0.35, 0}, 2, 8, 1.0, rounded, 0.2, 0.18));
    for (int s = 0; s < 2; ++s) {
        meshes.push_back(limb(pose.shoulder[s], pose.elbow[s], 4, 8, 1.0, rounded, 0.26, 0.2));
        meshes.push_back(limb(pose.elbow[s], pose.wrist[s], 4, 8, 1.0, rounded, 0.2, 0.15));
        const V3 along = unit(pose.wrist[s] - pose.elbow[s]);
        meshes.push_back(limb(pose.wrist[s] - along * 0.05, pose.wrist[s] + along * 0.42, 4, 8, 0.85, sphere, 0.21, 0));
        meshes.push_back(limb(pose.hip[s], pose.knee[s], 5, 8, 1.0, rounded, 0.36, 0.24));
        meshes.push_back(limb(pose.knee[s], pose.ankle[s], 5, 8, 1.0, rounded, 0.25, 0.15));
        meshes.push_back(limb(pose.ankle[s] + V3{0, 0.05, -0.15}, pose.toe[s], 2, 6, 0.6, rounded, 0.18, 0.13));
    }

    const double yaw = where.yawDegrees * std::numbers::pi / 180.0;
    const double mirror = where.mirrored ? -1.0 : 1.0;
    auto project = [&](V3 v, double *depth) {
        const double x = v.x * mirror;
        const double rx = x * std::cos(yaw) + v.z * std::sin(yaw);
        const double rz = -x * std::sin(yaw) + v.z * std::cos(yaw);
        *depth = rz;
        const double k = 14.0 / (14.0 - rz);
        return QPointF(where.feet.x() + rx * k * where.scale, where.feet.y() - v.y * k * where.scale);
    };
    auto line = [&](V3 a, V3 b) {
        double da = 0, db = 0;
        const QPointF pa = project(a, &da);
        const QPointF pb = project(b, &db);
        // Lines at the back of a limb are fainter, which gives the mesh its depth.
        const double nearness = std::clamp(((da + db) / 2.0 + 0.8) / 1.6, 0.0, 1.0);
        QColor c = colour;
        c.setAlphaF(static_cast<float>(0.3 + 0.7 * nearness));
        p.setPen(QPen(c, 0.7 + 0.6 * nearness));
        p.drawLine(pa, pb);
    };

    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    for (const auto &mesh : meshes) {
        for (size_t i = 0; i < mesh.size(); ++i) {
            const Ring &ring = mesh[i];
            for (size_t k = 0; k < ring.size(); ++k) {
                line(ring[k], ring[(k + 1) % ring.size()]);
                if (i + 1 < mesh.size())
                    line(ring[k], mesh[i + 1][k]);
            }
        }
    }
    p.restore();
}

} // namespace art
