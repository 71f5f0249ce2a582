"""kvd materials as Blender node materials: a Principled BSDF in the diffuse
colour, the colour image through an Image Texture on the mesh's box-projected
texture coordinates, the bump image through a Bump node. What the file stores
and Blender has no place for (the other two colours, the first value, the
image names as stored) is kept in the material's custom properties, so that an
export gives the same material back."""
import os

import bpy

# The custom properties a kvd material keeps; export_materials reads them.
PROPERTY_AMBIENT = "kvd_ambient"
PROPERTY_DIFFUSE = "kvd_diffuse"
PROPERTY_SPECULAR = "kvd_specular"
PROPERTY_SHININESS = "kvd_shininess"
PROPERTY_TEXTURE = "kvd_texture"
PROPERTY_BUMP = "kvd_bump"
PROPERTY_OWN_COLOUR = "kvd_own_colour"
# Set when the image a stored name names was not found: the name itself is kept.
PROPERTY_TEXTURE_NOT_FOUND = "kvd_texture_not_found"
PROPERTY_BUMP_NOT_FOUND = "kvd_bump_not_found"
# A name Blender could not keep as it was (too long, or taken).
PROPERTY_NAME = "kvd_name"
# On an image: it is the file a kvd material's stored name led to.
PROPERTY_IMAGE_FROM_KVD = "kvd_image"

UV_MAP_NAME = "UVMap"


def remember_name(datablock, name):
    """Keeps the name as the file has it when Blender had to change it."""
    if datablock.name != name:
        datablock[PROPERTY_NAME] = name


class MaterialMaker:
    """Makes each material once and remembers what it made, so that an import
    that fails can take it all away again."""

    def __init__(self, created, warn):
        self._created = created          # ImportedData: what this import added
        self._warn = warn
        self._file_materials = {}        # index in the file -> material
        self._own_colours = {}           # (name, colour) -> material
        self._images = {}                # path -> image, or None when it cannot be loaded
        self._textured = set()           # names of the materials that show an image

    def file_material(self, index, material):
        made = self._file_materials.get(index)
        if made is None:
            made = self._new_material(material.name, material.diffuse)
            made[PROPERTY_AMBIENT] = list(material.ambient)
            made[PROPERTY_DIFFUSE] = list(material.diffuse)
            made[PROPERTY_SPECULAR] = list(material.specular)
            made[PROPERTY_SHININESS] = float(material.shininess)
            made[PROPERTY_TEXTURE] = material.texture
            made[PROPERTY_BUMP] = material.bump
            self._add_images(made, material)
            self._file_materials[index] = made
        return made

    def own_colour(self, name, colour):
        """A mesh that names no material of the file is shown in its own
        colour, in a material named as the mesh; meshes of the same name and
        colour share it."""
        key = (name, tuple(colour))
        made = self._own_colours.get(key)
        if made is None:
            made = self._new_material(name, colour)
            made[PROPERTY_OWN_COLOUR] = True
            made[PROPERTY_DIFFUSE] = list(colour)
            self._own_colours[key] = made
        return made

    def is_textured(self, made):
        """Whether the material shows an image, so its meshes need texture
        coordinates."""
        return made.name in self._textured

    def _new_material(self, name, colour):
        made = bpy.data.materials.new(name or "material")
        self._created.materials.append(made)
        remember_name(made, name)
        rgba = (*_display_colour(colour), 1.0)
        made.diffuse_color = rgba
        made.use_nodes = True
        bsdf = _principled(made)
        bsdf.inputs["Base Color"].default_value = rgba
        bsdf.inputs["Metallic"].default_value = 0.0
        bsdf.inputs["Roughness"].default_value = 1.0
        return made

    def _add_images(self, made, material):
        nodes, links = made.node_tree.nodes, made.node_tree.links
        bsdf = _principled(made)
        colour_image = self._image(material.texture_path)
        if material.texture and colour_image is None:
            made[PROPERTY_TEXTURE_NOT_FOUND] = True
        if colour_image is not None:
            texture = nodes.new("ShaderNodeTexImage")
            texture.name = texture.label = "kvd texture"
            texture.image = colour_image
            texture.location = (bsdf.location.x - 340, bsdf.location.y)
            coordinates = nodes.new("ShaderNodeUVMap")
            coordinates.uv_map = UV_MAP_NAME
            coordinates.location = (texture.location.x - 220, texture.location.y - 60)
            links.new(coordinates.outputs["UV"], texture.inputs["Vector"])
            links.new(texture.outputs["Color"], bsdf.inputs["Base Color"])
        bump_image = self._image(material.bump_path)
        if material.bump and bump_image is None:
            made[PROPERTY_BUMP_NOT_FOUND] = True
        if colour_image is not None or bump_image is not None:
            self._textured.add(made.name)
        if bump_image is not None:
            height = nodes.new("ShaderNodeTexImage")
            height.name = height.label = "kvd bump"
            height.image = bump_image
            height.location = (bsdf.location.x - 600, bsdf.location.y - 320)
            # A height map holds data, not colours.
            height.image.colorspace_settings.is_data = True
            coordinates = nodes.new("ShaderNodeUVMap")
            coordinates.uv_map = UV_MAP_NAME
            coordinates.location = (height.location.x - 220, height.location.y - 60)
            links.new(coordinates.outputs["UV"], height.inputs["Vector"])
            bump = nodes.new("ShaderNodeBump")
            bump.location = (bsdf.location.x - 240, bsdf.location.y - 320)
            links.new(height.outputs["Color"], bump.inputs["Height"])
            links.new(bump.outputs["Normal"], bsdf.inputs["Normal"])

    def _image(self, path):
        """The image at a path the library found, loaded once; None when there
        is none or Blender cannot load it (said once)."""
        if not path:
            return None
        if path in self._images:
            return self._images[path]
        before = set(bpy.data.images)
        try:
            image = bpy.data.images.load(path, check_existing=True)
        except RuntimeError as error:
            self._warn(f"texture image {os.path.basename(path)} cannot be loaded, left out: {error}")
            image = None
        if image is not None and image not in before:
            self._created.images.append(image)
            image[PROPERTY_IMAGE_FROM_KVD] = True
        self._images[path] = image
        return image


def _principled(material):
    for node in material.node_tree.nodes:
        if node.type == 'BSDF_PRINCIPLED':
            return node
    return material.node_tree.nodes.new("ShaderNodeBsdfPrincipled")


def _display_colour(colour):
    """A stored colour as Blender shows one: each part within 0..1 (a part
    that is not a number shows as 0). The stored value itself is kept in the
    material's properties."""
    return tuple(min(1.0, max(0.0, c)) if c == c else 0.0 for c in colour)
