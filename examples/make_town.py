#!/usr/bin/env python3
"""Writes the example scene: town.gltf, its buffer town.bin and the two texture
images checker.png and gradient.png, beside this script.

The scene is small on purpose (a few KB of geometry) but its node extras use the
exporter's property vocabulary, every key some written record takes (the object
keys, which none takes, are left out; docs/properties.md lists them): a FLT_HEADER node, groups, a level of detail,
a degree of freedom, a switch, a separating plane, a clip region, an external
reference, light points and a light string, textured and colored faces, a face
material, terrain/hidden/footprint flags, a super face, free comment text, and
meshes of several shapes (boxes, a grid whose quads merge into one polygon, a
pyramid, a mirrored wedge).

glTF is Y-up; the exporter's host turns it to Z-up, so a glTF point (x, y, z)
lands at (x, -z, y). Standard library only; the output is the same on every run.
"""

import json
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
NAME = "town"


# ---------------------------------------------------------------- images


def png(width, height, pixel):
    """An 8-bit RGB PNG; pixel(x, y) gives (r, g, b)."""
    raw = b"".join(
        b"\x00" + bytes(c for x in range(width) for c in pixel(x, y)) for y in range(height)
    )

    def chunk(tag, data):
        return (
            struct.pack(">I", len(data))
            + tag
            + data
            + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)
        )

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (
        b"\x89PNG\r\n\x1a\n"
        + chunk(b"IHDR", header)
        + chunk(b"IDAT", zlib.compress(raw, 9))
        + chunk(b"IEND", b"")
    )


def checker(x, y):
    return (178, 34, 34) if (x // 8 + y // 8) % 2 else (240, 230, 200)


def gradient(x, y):
    return (40 + 6 * x, 60 + 4 * y, 90)


# ---------------------------------------------------------------- geometry


def sub(a, b):
    return tuple(p - q for p, q in zip(a, b))


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def dot(a, b):
    return sum(p * q for p, q in zip(a, b))


def unit(a):
    n = dot(a, a) ** 0.5
    return tuple(p / n for p in a)


class Shape:
    """Triangles with flat normals and optional texture coordinates."""

    def __init__(self):
        self.positions, self.normals, self.uvs, self.indices = [], [], [], []

    def polygon(self, corners, uvs=None):
        """A planar convex polygon, fanned into triangles that face outward by
        the corners' counter-clockwise order."""
        normal = unit(cross(sub(corners[1], corners[0]), sub(corners[2], corners[0])))
        base = len(self.positions)
        for i, p in enumerate(corners):
            self.positions.append(p)
            self.normals.append(normal)
            self.uvs.append(uvs[i] if uvs else (0.0, 0.0))
        for i in range(1, len(corners) - 1):
            self.indices += [base, base + i, base + i + 1]
        return self


def box(w, h, d, y0=0.0):
    """A box on y = y0, centred on the Y axis; each side one textured quad."""
    x, z, y1 = w / 2, d / 2, y0 + h
    s, uv = Shape(), [(0, 0), (1, 0), (1, 1), (0, 1)]
    s.polygon([(-x, y0, z), (x, y0, z), (x, y1, z), (-x, y1, z)], uv)  # front +Z
    s.polygon([(x, y0, -z), (-x, y0, -z), (-x, y1, -z), (x, y1, -z)], uv)  # back -Z
    s.polygon([(x, y0, z), (x, y0, -z), (x, y1, -z), (x, y1, z)], uv)  # right +X
    s.polygon([(-x, y0, -z), (-x, y0, z), (-x, y1, z), (-x, y1, -z)], uv)  # left -X
    s.polygon([(-x, y1, z), (x, y1, z), (x, y1, -z), (-x, y1, -z)], uv)  # top +Y
    s.polygon([(-x, y0, -z), (x, y0, -z), (x, y0, z), (-x, y0, z)], uv)  # bottom -Y
    return s


def pyramid(w, d, h, y0):
    """Four sloping triangles over a w x d base at y0: they do not merge."""
    x, z, top = w / 2, d / 2, (0.0, y0 + h, 0.0)
    base = [(-x, y0, z), (x, y0, z), (x, y0, -z), (-x, y0, -z)]
    s = Shape()
    for i in range(4):
        s.polygon([base[i], base[(i + 1) % 4], top], [(0, 0), (1, 0), (0.5, 1)])
    return s


def grid(nx, nz, cell):
    """A flat nx x nz grid of quads on y = 0 with shared corners: its 2*nx*nz
    triangles lie in one plane and merge into one polygon."""
    s = Shape()
    x0, z0 = -nx * cell / 2, -nz * cell / 2
    for j in range(nz + 1):
        for i in range(nx + 1):
            s.positions.append((x0 + i * cell, 0.0, z0 + j * cell))
            s.normals.append((0.0, 1.0, 0.0))
            s.uvs.append((i / nx, j / nz))
    for j in range(nz):
        for i in range(nx):
            a = j * (nx + 1) + i
            b, c, e = a + 1, a + nx + 1, a + nx + 2
            s.indices += [a, c, e, a, e, b]  # counter-clockwise seen from +Y
    return s


def quad(w, h):
    """An upright w x h panel facing +Z, its foot on y = 0."""
    x = w / 2
    return Shape().polygon([(-x, 0, 0), (x, 0, 0), (x, h, 0), (-x, h, 0)],
                           [(0, 0), (1, 0), (1, 1), (0, 1)])


def flat(w, d):
    """A w x d plate on y = 0 facing +Y."""
    x, z = w / 2, d / 2
    return Shape().polygon([(-x, 0, z), (x, 0, z), (x, 0, -z), (-x, 0, -z)])


def wedge(length, width, height):
    """A ramp rising along -X: two triangles and three quads."""
    L, W, H = length, width, height
    s = Shape()
    s.polygon([(0, 0, 0), (L, 0, 0), (L, 0, W), (0, 0, W)])  # bottom -Y
    s.polygon([(0, 0, 0), (0, 0, W), (0, H, W), (0, H, 0)])  # back -X
    s.polygon([(L, 0, 0), (0, H, 0), (0, H, W), (L, 0, W)])  # slope
    s.polygon([(0, 0, 0), (0, H, 0), (L, 0, 0)])  # side -Z
    s.polygon([(0, 0, W), (L, 0, W), (0, H, W)])  # side +Z
    return s


# ---------------------------------------------------------------- glTF writer


class Gltf:
    def __init__(self):
        self.bin = bytearray()
        self.doc = {
            "asset": {"version": "2.0", "generator": "examples/make_town.py"},
            "scene": 0,
            "scenes": [{"name": "Town", "nodes": []}],
            "nodes": [],
            "meshes": [],
            "materials": [],
            "textures": [],
            "images": [],
            "samplers": [{"wrapS": 10497, "wrapT": 10497}],
            "accessors": [],
            "bufferViews": [],
            "buffers": [],
        }

    def _view(self, data, target):
        while len(self.bin) % 4:
            self.bin.append(0)
        self.doc["bufferViews"].append(
            {"buffer": 0, "byteOffset": len(self.bin), "byteLength": len(data), "target": target}
        )
        self.bin += data
        return len(self.doc["bufferViews"]) - 1

    def _accessor(self, values, kind, width, with_bounds=False):
        data = b"".join(struct.pack("<%df" % width, *v) for v in values)
        acc = {
            "bufferView": self._view(data, 34962),
            "componentType": 5126,
            "count": len(values),
            "type": kind,
        }
        if with_bounds:
            acc["min"] = [min(v[i] for v in values) for i in range(width)]
            acc["max"] = [max(v[i] for v in values) for i in range(width)]
        self.doc["accessors"].append(acc)
        return len(self.doc["accessors"]) - 1

    def mesh(self, name, shape, material=None, textured=False):
        attributes = {
            "POSITION": self._accessor(shape.positions, "VEC3", 3, True),
            "NORMAL": self._accessor(shape.normals, "VEC3", 3),
        }
        if textured:
            attributes["TEXCOORD_0"] = self._accessor(shape.uvs, "VEC2", 2)
        indices = struct.pack("<%dH" % len(shape.indices), *shape.indices)
        self.doc["accessors"].append(
            {
                "bufferView": self._view(indices, 34963),
                "componentType": 5123,
                "count": len(shape.indices),
                "type": "SCALAR",
            }
        )
        primitive = {"attributes": attributes, "indices": len(self.doc["accessors"]) - 1}
        if material is not None:
            primitive["material"] = material
        self.doc["meshes"].append({"name": name, "primitives": [primitive]})
        return len(self.doc["meshes"]) - 1

    def material(self, name, color, image=None):
        pbr = {"baseColorFactor": list(color), "metallicFactor": 0.0, "roughnessFactor": 0.8}
        if image is not None:
            self.doc["images"].append({"uri": image})
            self.doc["textures"].append(
                {"sampler": 0, "source": len(self.doc["images"]) - 1}
            )
            pbr["baseColorTexture"] = {"index": len(self.doc["textures"]) - 1}
        self.doc["materials"].append({"name": name, "pbrMetallicRoughness": pbr})
        return len(self.doc["materials"]) - 1

    def node(self, name, parent=None, mesh=None, extras=None, translation=None, scale=None):
        n = {"name": name}
        if mesh is not None:
            n["mesh"] = mesh
        if translation:
            n["translation"] = list(translation)
        if scale:
            n["scale"] = list(scale)
        if extras:
            n["extras"] = extras
        self.doc["nodes"].append(n)
        index = len(self.doc["nodes"]) - 1
        if parent is None:
            self.doc["scenes"][0]["nodes"].append(index)
        else:
            self.doc["nodes"][parent].setdefault("children", []).append(index)
        return index

    def save(self, folder, name):
        while len(self.bin) % 4:
            self.bin.append(0)
        self.doc["buffers"].append({"uri": name + ".bin", "byteLength": len(self.bin)})
        with open(os.path.join(folder, name + ".bin"), "wb") as f:
            f.write(self.bin)
        with open(os.path.join(folder, name + ".gltf"), "w") as f:
            json.dump(self.doc, f, indent=1)
            f.write("\n")


# ---------------------------------------------------------------- the scene


def dof_extras():
    """Every degree-of-freedom key: the local frame, then five rows per axis.
    The door slides up to 2.5 m and swings +-90 degrees; the rest stays free."""
    e = {"FltType": "DOF"}
    frame = {"Origin": (0, 0, 0), "XAxis": (1, 0, 0), "XYPlane": (0, 1, 0)}
    for part, xyz in frame.items():
        for axis, value in zip("XYZ", xyz):
            e["FltDof%s%s" % (part, axis)] = value
    limited = {"Tz": (0.0, 0.5, 0.0, 2.5), "Yaw": (0.0, 5.0, -90.0, 90.0)}
    for stem in ("Tx", "Ty", "Tz", "Sx", "Sy", "Sz", "Roll", "Pitch", "Yaw"):
        curr, incr, lo, hi = limited.get(
            stem, (1.0 if stem.startswith("S") else 0.0, 1.0, -1000000.0, 1000000.0)
        )
        e["FltDof%sCurr" % stem] = curr
        e["FltDof%sIncr" % stem] = incr
        e["FltDof%sLimited" % stem] = "Yes" if stem in limited else "No"
        e["FltDof%sMin" % stem] = lo
        e["FltDof%sMax" % stem] = hi
    return e


def light_point_extras():
    return {
        "FltType": "light_point",
        "FltSmc": 21,
        "FltFid": 22,
        "FltLtPtBackColor": 0,
        "FltLtPtDisplayMode": "Raster",
        "FltLtPtIntensity": 1.5,
        "FltLtPtBackIntensity": 0.25,
        "FltLtPtMinDefocus": 0.0,
        "FltLtPtMaxDefocus": 1.0,
        "FltLtPtDisableFade": "No",
        "FltLtPtDisableFog": "Yes",
        "FltLtPtDisableDir": "No",
        "FltLtPtDisableRange": "No",
        "FltLtPtMinPixelSize": 1.0,
        "FltLtPtMaxPixelSize": 8.0,
        "FltLtPtActualPixelSize": 3.0,
        "FltLtPtXprPixelSize": 0.5,
        "FltLtPtXprOffExpnt": 1.0,
        "FltLtPtXprScalar": 1.0,
        "FltLtPtXprClamp": 0.5,
        "FltLtPtFogScalar": 0.25,
        "FltLtPtSizeThreshold": 0.125,
        "FltLtPtDirectonType": "Uni-directional",
        "FltLtPtHorizLobe": 60.0,
        "FltLtPtVertLobe": 30.0,
        "FltLtPtLobeRoll": 0.0,
        "FltLtPtDirFalloff": 1.0,
        "FltLtPtDirAmbient": 0.125,
        "FltLtPtAnimPeriod": 2.0,
        "FltLtPtAnimPhase": 0.5,
        "FltLtPtAnimEnabled": 1.0,
        "FltLtPtSignificance": 0.5,
        "FltLtPtDrawOrder": 2,
        "FltLtPtNoBackColor": "Yes",
        "FltLtPtProxOccult": "No",
        "FltLtPtReflective": "No",
        "FltLtPtRandomize": "Medium",
        "FltLtPtPerspective": True,
        "FltLtPtFlashing": "Yes",
        "FltLtPtRotating": "No",
        "FltLtPtRotateCCW": "No",
        "FltLtPtQuality": "High",
        "FltLtPtVisDay": "No",
        "FltLtPtVisDusk": "Yes",
        "FltLtPtVisNight": "Yes",
        "FltLtPtRotationX": 0.0,
        "FltLtPtRotationY": 0.0,
        "FltLtPtRotationZ": 1.0,
        "FltVectorX": 0.0,
        "FltVectorY": -1.0,
        "FltVectorZ": 0.0,
    }


def build():
    g = Gltf()
    brick = g.material("Brick", (1, 1, 1, 1), "checker.png")
    roof = g.material("Roof", (1, 1, 1, 1), "gradient.png")
    paint = g.material("Paint", (0.2, 0.4, 0.8, 1))

    house_mesh = g.mesh("house", box(6, 3, 4), brick, textured=True)
    roof_mesh = g.mesh("roof", pyramid(6, 4, 1.5, 3), roof, textured=True)
    ground_mesh = g.mesh("ground", grid(3, 2, 4.0))
    panel_mesh = g.mesh("panel", quad(1, 2))
    plate_mesh = g.mesh("plate", flat(2, 2))
    shed_mesh = g.mesh("shed", box(2, 2, 2))
    ramp_mesh = g.mesh("ramp", wedge(3, 2, 1))
    sign_mesh = g.mesh("sign", quad(2, 1), paint)
    lamp_mesh = g.mesh("lamp", box(0.2, 0.2, 0.2, -0.1))

    g.node(
        "FLT_HEADER",
        extras={
            "FltVersion": "OpenFlight_15.4",
            "FltUnits": "Feet",
            "FltProjection": "Lambert_Conic",
            "FltEllipsoid": "Clarke_1866",
            "FltOriginLat": 37.5,
            "FltOriginLon": -122.25,
            "FltUpperLam": 40.0,
            "FltLowerLam": 35.0,
        },
    )

    town = g.node(
        "Town",
        extras={
            # Free text travels into a comment record; the key line in its middle
            # sets a field and is stripped from the comment.
            "userText": "Town square of the Zorvel demo.\n"
            "FltGrpRelPriority = 3\n"
            "Written by examples/make_town.py.",
            "FltType": "Group",
            "FltGrpSpecial1": 11,
            "FltGrpSpecial2": 12,
            "FltGrpSignificance": 5,
            "FltGrpLayer": 7,
            # Not animated: a reader would show one child of the town at a time.
            "FltGrpFwdAnim": "No",
            "FltGrpCycleAnim": "No",
            "FltGrpBBox": "Yes",
            "FltGrpFrzBBox": "No",
            "FltGrpDfltParent": "Yes",
        },
    )

    g.node(
        "Ground",
        town,
        ground_mesh,
        extras={
            "FltFaceColor": "6B8E23FF",
            "FltAltColor": "556B2FFF",
            "FltTerrain": "Yes",
            "FltFootprint": "Yes",
            "FltHidden": "No",
            "FltSmc": 3,
            "FltFid": 7,
            "FltIRColor": 11,
            "FltIRMaterial": 12,
            "FltLightMode": "Face_Color_Flat",
        },
    )

    houses = g.node(
        "Houses",
        town,
        extras={
            "FltType": "LOD",
            "FltLodMin": 500.0,
            "FltLodMax": 10.0,
            "FltLodTrans": 25.0,
            "FltLodCx": 0.0,
            "FltLodCy": 10.0,
            "FltLodCz": 2.25,
            "FltLodFrozen": "Yes",
            "FltLodSpecial1": 1,
            "FltLodSpecial2": 2,
        },
    )
    # A mesh with a child: the exporter groups the two (automatic groups).
    house = g.node(
        "House",
        houses,
        house_mesh,
        translation=(0, 0, -10),
    )
    g.node("Roof", house, roof_mesh)

    door = g.node("Door", town, translation=(0, 0, -7.9), extras=dof_extras())
    g.node("Panel", door, panel_mesh, extras={"FltFaceColor": "8B4513FF"})

    signal = g.node(
        "Signal",
        town,
        translation=(8, 0, 0),
        extras={
            "FltType": "Switch",
            "FltSwitchCurr": 1,
            "FltSwitchMaskWidth": 1,
            "FltSwitchMaskCount": 2,
            # Two one-word masks, each word least significant byte first: 1 and 2.
            "FltSwitchMaskData": "0100000002000000",
        },
    )
    g.node("Red", signal, panel_mesh, extras={"FltFaceColor": "FF0000FF", "FltAltColor": "400000FF"})
    g.node("Green", signal, panel_mesh, translation=(0, 2.5, 0),
           extras={"FltFaceColor": "00FF00FF", "FltAltColor": "004000FF"})

    split = g.node(
        "Split",
        town,
        extras={"FltType": "BSP", "FltBspA": 1.0, "FltBspB": 0.0, "FltBspC": 0.0, "FltBspD": -5.0},
    )
    # Mirrored by a negative scale: its triangles must keep facing outward.
    g.node("Ramp", split, ramp_mesh, translation=(9, 0, 6), scale=(-1, 1, 1))
    g.node("Shed", split, shed_mesh, translation=(-9, 0, 6))

    window = g.node(
        "Window",
        town,
        extras={
            "FltType": "Clip_Region",
            "FltClipX0": -6.0, "FltClipY0": -8.0, "FltClipZ0": 0.0,
            "FltClipX1": 6.0, "FltClipY1": -8.0, "FltClipZ1": 0.0,
            "FltClipX2": 6.0, "FltClipY2": -8.0, "FltClipZ2": 5.0,
            "FltClipX3": -6.0, "FltClipY3": -8.0, "FltClipZ3": 5.0,
            "FltClipBottom": "Yes",
            "FltClipRight": "No",
            "FltClipTop": "Yes",
            "FltClipLeft": "No",
            "FltClipBack": "Yes",
        },
    )
    g.node("Shadow", window, plate_mesh, translation=(0, 0.05, 8),
           extras={"FltHidden": "Yes", "FltFaceColor": "202020FF"})

    # A small group meant to animate: a reader flips between its two frames.
    flag = g.node(
        "Flag",
        town,
        translation=(-4, 4, 8),
        extras={"FltType": "Group", "FltGrpFwdAnim": True, "FltGrpCycleAnim": "Yes"},
    )
    g.node("FlagUp", flag, panel_mesh, extras={"FltFaceColor": "1E90FFFF"})
    g.node("FlagDown", flag, panel_mesh, translation=(0, -1, 0),
           extras={"FltFaceColor": "1E90FFFF"})

    g.node(
        "Annex",
        town,
        extras={
            "FltType": "External_Ref",
            "FltXRefFilename": "annex_model.flt",
            "FltXRefOverrideColors": "No",
            "FltXRefOverrideMaterials": "Yes",
            "FltXRefOverrideTextures": "Yes",
            "FltXRefOverrideSounds": "No",
            "FltXRefOverrideLtSrcs": "Yes",
            "FltXRefOverrideLnStyle": "No",
        },
    )

    g.node(
        "Sign",
        town,
        sign_mesh,
        translation=(-8, 0, 0),
        extras={
            "FltUseMaterial": "Yes",
            "FltBillboard": "Axial_Rotate",
            "wireinput": -1,
            "wireoutput": -1,
        },
    )

    deck = g.node("Deck", town, plate_mesh, translation=(0, 0.5, 10), extras={"FltSuperFace": 1})
    g.node("Decal", deck, plate_mesh, translation=(0, 0.01, 0), extras={"FltFaceColor": "FFFFFFFF"})

    runway = g.node("Runway", translation=(0, 0.1, -20), extras=light_point_extras())
    for i, x in enumerate((-4.0, 0.0, 4.0)):
        g.node("Lamp%d" % (i + 1), runway, lamp_mesh, translation=(x, 0, 0),
               extras={"FltType": "FltLightVtx"})

    fence = g.node(
        "Fence",
        translation=(12, 1, 0),
        extras={
            "FltType": "Face",
            "FltDrawType": 9,
            "FltFaceColor": "FFD700FF",
            "FltVectorX": 1.0,
            "FltVectorY": 0.0,
            "FltVectorZ": 0.0,
        },
    )
    for i, z in enumerate((-3.0, 3.0)):
        g.node("Post%d" % (i + 1), fence, lamp_mesh, translation=(0, 0, z),
               extras={"FltType": "FltLightVtx"})
    return g


def main():
    build().save(HERE, NAME)
    with open(os.path.join(HERE, "checker.png"), "wb") as f:
        f.write(png(64, 64, checker))
    with open(os.path.join(HERE, "gradient.png"), "wb") as f:
        f.write(png(32, 32, gradient))


if __name__ == "__main__":
    main()
