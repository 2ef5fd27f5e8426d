#include "bench/CameraScene.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace bench {

namespace {

std::uint32_t hash(std::int32_t x, std::int32_t y, std::uint32_t seed) {
  std::uint32_t h = std::uint32_t(x) * 0x8DA6B343u ^ std::uint32_t(y) * 0xD8163841u ^ seed;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  return h ^ (h >> 15);
}

// In [-1, 1).
float unit(std::uint32_t h) {
  return float(h >> 8) / float(1 << 23) - 1.0f;
}

float smooth(float t) {
  return t * t * (3 - 2 * t);
}

// Value noise of one row at one cell size: lattice values blended smoothly,
// added into out with the given weight. Along the row the lattice columns
// are blended once per cell, so a row costs little per pixel.
void addNoiseRow(int y, int cell, std::uint32_t seed, float weight, std::vector<float>& out) {
  const int cellY = y / cell;
  const float ty = smooth(float(y % cell) / float(cell));
  const auto column = [&](int cx) {
    const float top = unit(hash(cx, cellY, seed)), bottom = unit(hash(cx, cellY + 1, seed));
    return top + (bottom - top) * ty;
  };
  const int width = int(out.size());
  for (int cx = 0; cx * cell < width; ++cx) {
    const float left = column(cx), right = column(cx + 1);
    const int end = std::min(width, (cx + 1) * cell);
    for (int x = cx * cell; x < end; ++x) {
      const float tx = smooth(float(x - cx * cell) / float(cell));
      out[std::size_t(x)] += weight * (left + (right - left) * tx);
    }
  }
}

// Octaves of value noise from the coarsest cell down, each of half the cell
// and half the weight; about [-1, 1] in all.
void fractalRow(int y, int coarsest, int octaves, float falloff, std::uint32_t seed,
                std::vector<float>& out) {
  std::fill(out.begin(), out.end(), 0.0f);
  float weight = 0.5f;
  for (int o = 0, cell = coarsest; o < octaves && cell >= 1; ++o, cell /= 2, weight *= falloff) {
    addNoiseRow(y, cell, seed + std::uint32_t(o) * 7919u, weight, out);
  }
}

struct Colour {
  float r, g, b;
};

Colour mix(const Colour& a, const Colour& b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

struct Building {
  int left, right, top;
  Colour wall;
};

// One shot's layout, and the row it computed last: a JPEG encoder asks for
// the pixels row by row, left to right.
class Scene {
 public:
  Scene(int width, int height, int shot)
      : width_(width),
        height_(height),
        seed_(std::uint32_t(shot) * 2654435761u + 17u),
        scale_(float(std::max(width, height)) / 4000.0f),
        horizon_(std::size_t(width)),
        row_(std::size_t(width)),
        clouds_(std::size_t(width)),
        texture_(std::size_t(width)),
        patches_(std::size_t(width)) {
    // Hills: a smooth ridge line across the picture.
    std::vector<float> ridge(std::size_t(width), 0.0f);
    fractalRow(0, std::max(8, int(900 * scale_)), 5, 0.5f, seed_ + 1, ridge);
    for (int x = 0; x < width; ++x) {
      horizon_[std::size_t(x)] = height * (0.5f + 0.12f * ridge[std::size_t(x)]);
    }
    const int count = 3 + shot % 4;
    for (int i = 0; i < count; ++i) {
      const float at = 0.1f + 0.8f * float(hash(i, shot, 5) % 1000) / 1000.0f;
      const float wide = 0.05f + 0.08f * float(hash(i, shot, 6) % 1000) / 1000.0f;
      const float tall = 0.1f + 0.25f * float(hash(i, shot, 7) % 1000) / 1000.0f;
      const float tint = float(hash(i, shot, 8) % 1000) / 1000.0f;
      buildings_.push_back({int(width * at), int(width * (at + wide)), int(height * (0.55f - tall)),
                            mix({190, 170, 150}, {120, 110, 125}, tint)});
    }
    sun_ = {width * (0.15f + 0.7f * float(hash(shot, 1, 9) % 1000) / 1000.0f), height * 0.15f,
            std::max(3.0f, 110.0f * scale_)};
  }

  testpics::Rgb pixel(int x, int y) {
    if (y != rowY_) computeRow(y);
    return row_[std::size_t(x)];
  }

 private:
  void computeRow(int y) {
    rowY_ = y;
    fractalRow(y, std::max(8, int(700 * scale_)), 5, 0.5f, seed_ + 100, clouds_);
    fractalRow(y, 8, 4, 0.9f, seed_ + 200, texture_);
    fractalRow(y, std::max(8, int(300 * scale_)), 3, 0.5f, seed_ + 300, patches_);
    for (int x = 0; x < width_; ++x) row_[std::size_t(x)] = shade(x, y);
  }

  Colour sky(int x, int y) const {
    const float v = float(y) / float(height_);
    Colour c = mix({60, 110, 190}, {185, 210, 235}, std::min(1.0f, v * 1.8f));
    const float cloud = std::clamp(clouds_[std::size_t(x)] * 2.2f + 0.1f, 0.0f, 1.0f);
    c = mix(c, {240, 240, 245}, smooth(cloud));
    const float dx = float(x) - sun_.x, dy = float(y) - sun_.y;
    const float distance = std::sqrt(dx * dx + dy * dy);
    if (distance < sun_.radius) return {255, 250, 225};
    return mix(c, {255, 245, 210},
               std::max(0.0f, 1.0f - (distance - sun_.radius) / (sun_.radius * 3)) * 0.6f);
  }

  // Grass and foliage: fine texture whose strength varies from patch to patch.
  Colour ground(int x, int y) const {
    const float patch = patches_[std::size_t(x)];
    const float depth = (float(y) - horizon_[std::size_t(x)]) / float(height_);
    Colour c = mix({70, 110, 45}, {125, 105, 60}, std::clamp(patch + 0.5f, 0.0f, 1.0f));
    c = mix(c, {105, 125, 120}, std::max(0.0f, 0.3f - depth));  // haze toward the hills
    const float strength = 70.0f * std::clamp(patch * 1.5f + 0.7f, 0.15f, 1.0f);
    const float t = texture_[std::size_t(x)] * strength;
    return {c.r + t, c.g + t * 1.1f, c.b + t * 0.7f};
  }

  // Walls shaded across, with rows of darker windows and their sharp edges.
  bool building(int x, int y, Colour& c) const {
    for (const Building& b : buildings_) {
      if (x < b.left || x >= b.right || y < b.top ||
          float(y) >= horizon_[std::size_t(x)] + 40 * scale_) {
        continue;
      }
      const float across = float(x - b.left) / float(std::max(1, b.right - b.left));
      c = mix(b.wall, {b.wall.r * 0.7f, b.wall.g * 0.7f, b.wall.b * 0.75f}, across);
      const float grit = texture_[std::size_t(x)] * 10.0f;
      c = {c.r + grit, c.g + grit, c.b + grit};
      const int pitch = std::max(4, int(48 * scale_));
      const int wx = (x - b.left) % pitch, wy = (y - b.top) % pitch;
      if (wx > pitch / 4 && wx < pitch * 3 / 4 && wy > pitch / 5 && wy < pitch * 3 / 5) {
        const bool lit = hash((x - b.left) / pitch, (y - b.top) / pitch, seed_) % 5 == 0;
        c = lit ? Colour{230, 200, 120} : Colour{45, 55, 70};
      }
      return true;
    }
    return false;
  }

  testpics::Rgb shade(int x, int y) const {
    Colour c;
    if (!building(x, y, c)) c = float(y) < horizon_[std::size_t(x)] ? sky(x, y) : ground(x, y);
    // A sensor's noise: a little in brightness, less in colour.
    const std::uint32_t h = hash(x, y, seed_ + 400);
    const float grain = float(int(h & 7) - 3) * 1.4f;
    const auto channel = [&](float v, int bits) {
      return std::uint8_t(
          std::clamp(v + grain + float(int((h >> bits) & 3) - 1) * 0.5f, 0.0f, 255.0f));
    };
    return {channel(c.r, 3), channel(c.g, 5), channel(c.b, 7)};
  }

  struct Sun {
    float x, y, radius;
  };

  int width_, height_;
  std::uint32_t seed_;
  float scale_;
  std::vector<float> horizon_;
  std::vector<Building> buildings_;
  Sun sun_{};
  int rowY_ = -1;
  std::vector<testpics::Rgb> row_;
  std::vector<float> clouds_, texture_, patches_;
};

}  // namespace

testpics::Pattern cameraScene(int width, int height, int shot) {
  auto scene = std::make_shared<Scene>(width, height, shot);
  return [scene](int x, int y) { return scene->pixel(x, y); };
}

}  // namespace bench
