"""What one import added to the Blender file, so that a failed import can take
it all away again and leave the scene as it was."""
import bpy


class ImportedData:
    def __init__(self):
        self.objects = []
        self.meshes = []
        self.materials = []
        self.images = []
        self.cameras = []

    def remove_all(self):
        """Removes everything this import made, objects first so that no
        removed data is still in use."""
        for collection, items in ((bpy.data.objects, self.objects), (bpy.data.meshes, self.meshes),
                                  (bpy.data.cameras, self.cameras), (bpy.data.materials, self.materials),
                                  (bpy.data.images, self.images)):
            for item in reversed(items):
                try:
                    collection.remove(item)
                except ReferenceError:
                    pass   # already gone with its user
            items.clear()
