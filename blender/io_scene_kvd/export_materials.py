"""Blender materials as kvd materials: the base colour, the image on the base
colour and the height image of a Bump node. A material that came from a kvd
file and still shows its colour gives back the values the file stored."""
import re
from dataclasses import dataclass

from .import_materials import (PROPERTY_AMBIENT, PROPERTY_BUMP, PROPERTY_BUMP_NOT_FOUND, PROPERTY_DIFFUSE,
                               PROPERTY_IMAGE_FROM_KVD, PROPERTY_NAME, PROPERTY_OWN_COLOUR, PROPERTY_SHININESS,
                               PROPERTY_SPECULAR, PROPERTY_TEXTURE, PROPERTY_TEXTURE_NOT_FOUND)

# What the import calls what the file leaves unnamed (Blender needs a name).
UNNAMED = ("mesh", "group", "camera", "material")
# A mesh without a material is shown light grey.
NO_MATERIAL_COLOUR = (0.8, 0.8, 0.8)


@dataclass
class MaterialOut:
    name: str
    diffuse: tuple
    ambient: tuple
    specular: tuple
    shininess: float
    own_colour: bool = False
    texture_image: object = None   # bpy.types.Image
    texture_name: str = ""         # the name a kvd file stored for it, or ""
    bump_image: object = None
    bump_name: str = ""


def name_as_stored(datablock):
    """The name the kvd file gave, when Blender had to change it and the user
    has not renamed it since."""
    stored = datablock.get(PROPERTY_NAME)
    if isinstance(stored, str) and _blender_form(stored, datablock.name):
        return stored
    return datablock.name


def _blender_form(stored, name):
    """Whether name is what Blender made of stored: the same, cut to Blender's
    63 bytes, or with a number put after it to tell it from another."""
    base = re.sub(r"\.\d{3,}$", "", name)
    if base == stored or (stored == "" and base in UNNAMED):
        return True
    return len(base.encode("utf-8")) >= 56 and stored.startswith(base)


def describe(material):
    """What a kvd file can hold of a Blender material (None: no material)."""
    if material is None:
        return MaterialOut("", NO_MATERIAL_COLOUR, NO_MATERIAL_COLOUR, (0.0, 0.0, 0.0), 0.0, own_colour=True)
    bsdf = _principled(material)
    if bsdf is not None:
        base = tuple(bsdf.inputs["Base Color"].default_value)[:3]
        roughness = float(bsdf.inputs["Roughness"].default_value)
        metallic = float(bsdf.inputs["Metallic"].default_value)
    else:
        base = tuple(material.diffuse_color)[:3]
        roughness, metallic = float(material.roughness), float(material.metallic)
    name = name_as_stored(material)
    stored = _stored_colours(material, base)
    if material.get(PROPERTY_OWN_COLOUR):
        diffuse = stored[1] if stored else base
        return MaterialOut(name, diffuse, diffuse, (0.0, 0.0, 0.0), 0.0, own_colour=True)
    if stored:
        ambient, diffuse, specular, shininess = stored
    else:
        # A highlight as bright as the surface is smooth, tinted by the base
        # colour as far as the material is metallic; the surface in shadow
        # keeps its hue.
        diffuse = ambient = base
        shine = 1.0 - min(1.0, max(0.0, roughness))
        specular = tuple(shine * ((1.0 - metallic) + metallic * c) for c in base)
        shininess = 100.0 * shine
    out = MaterialOut(name, diffuse, ambient, specular, shininess)
    texture = _image_into(bsdf, "Base Color")
    if texture is not None:
        out.texture_image = texture
        out.texture_name = _stored_image_name(material, PROPERTY_TEXTURE, texture)
    elif stored and material.get(PROPERTY_TEXTURE_NOT_FOUND):
        # The file named an image nobody found: the name goes back as it was.
        out.texture_name = str(material.get(PROPERTY_TEXTURE, ""))
    bump = _bump_image(bsdf)
    if bump is not None:
        out.bump_image = bump
        out.bump_name = _stored_image_name(material, PROPERTY_BUMP, bump)
    elif stored and material.get(PROPERTY_BUMP_NOT_FOUND):
        out.bump_name = str(material.get(PROPERTY_BUMP, ""))
    return out


def _stored_colours(material, base):
    """The colours and first value a kvd file stored, while the material's
    base colour is still the one shown for them."""
    diffuse = material.get(PROPERTY_DIFFUSE)
    if diffuse is None or len(diffuse) != 3:
        return None
    shown = tuple(min(1.0, max(0.0, c)) if c == c else 0.0 for c in diffuse)
    if any(abs(a - b) > 1e-6 for a, b in zip(shown, base)):
        return None
    def colour(key):
        value = material.get(key)
        return tuple(float(c) for c in value) if value is not None and len(value) == 3 else tuple(diffuse)
    return (colour(PROPERTY_AMBIENT), tuple(float(c) for c in diffuse), colour(PROPERTY_SPECULAR),
            float(material.get(PROPERTY_SHININESS, 0.0)))


def _stored_image_name(material, key, image):
    """The image name the kvd file stored, for the image the import found for it."""
    stored = material.get(key)
    if isinstance(stored, str) and stored and image.get(PROPERTY_IMAGE_FROM_KVD):
        return stored
    return ""


def _principled(material):
    if not material.use_nodes or material.node_tree is None:
        return None
    output = next((n for n in material.node_tree.nodes if n.type == 'OUTPUT_MATERIAL' and n.is_active_output), None)
    if output is not None and output.inputs["Surface"].is_linked:
        node = output.inputs["Surface"].links[0].from_node
        if node.type == 'BSDF_PRINCIPLED':
            return node
    return next((n for n in material.node_tree.nodes if n.type == 'BSDF_PRINCIPLED'), None)


def _image_into(node, socket_name):
    """The image of an Image Texture node linked into a node's input."""
    if node is None or not node.inputs[socket_name].is_linked:
        return None
    source = node.inputs[socket_name].links[0].from_node
    if source.type == 'TEX_IMAGE' and source.image is not None:
        return source.image
    return None


def _bump_image(bsdf):
    if bsdf is None or not bsdf.inputs["Normal"].is_linked:
        return None
    bump = bsdf.inputs["Normal"].links[0].from_node
    if bump.type != 'BUMP':
        return None
    return _image_into(bump, "Height")
