#!/usr/bin/python
# -*- coding: utf-8 -*-
# Ansible module over "kv7700ctl apply --json": brings the KV7700 presence
# sensors of a host to a site's template file.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
---
module: kv7700_config
short_description: Apply a site configuration to KV7700 presence sensors
description:
  - Runs C(kv7700ctl apply --json) on the managed host. Each sensor is
    compared field by field with the template file; only the records that
    differ are written, and the sensor is read back to check that it kept
    them.
  - Reports C(changed) only when a sensor was written (in check mode, when
    one would be). Check mode runs C(kv7700ctl apply --dry-run), which
    writes nothing.
  - Fails with kv7700ctl's own message when a sensor cannot be read or
    written, when the library refuses the file (nothing is written then), or
    when a read-back differs from what was written.
options:
  src:
    description: The template file on the managed host (as C(kv7700ctl save) writes it).
    type: path
    required: true
  all:
    description: Apply to every sensor present. Ignored when I(path) or I(device) is given.
    type: bool
    default: true
  path:
    description: Apply only to the sensor at this interface path (C(/dev/hidraw3)).
    type: str
  device:
    description: Apply only to the sensor with this number, as C(kv7700ctl list) numbers them.
    type: int
  executable:
    description: The kv7700ctl program, by name (searched on the PATH) or path.
    type: str
    default: kv7700ctl
  global_options:
    description: Global options put before the command, such as C(--simulate=FILE) for an emulated sensor.
    type: list
    elements: str
    default: []
"""

EXAMPLES = r"""
- name: Bring every sensor to the site configuration
  kv7700_config:
    src: /etc/kv7700/site.txt

- name: Only the sensor at /dev/hidraw3
  kv7700_config:
    src: /etc/kv7700/site.txt
    path: /dev/hidraw3
"""

RETURN = r"""
sensors:
  description: One entry per sensor, as kv7700ctl apply --json gives it (status changed, unchanged or failed, the field changes, the records written).
  returned: when kv7700ctl ran
  type: list
  elements: dict
cmd:
  description: The command that ran.
  returned: always
  type: list
  elements: str
"""

import json
import os

from ansible.module_utils.basic import AnsibleModule


def tool_path(module, executable):
    if os.path.sep in executable:
        if not os.access(executable, os.X_OK):
            module.fail_json(msg="%s is not an executable program" % executable)
        return executable
    return module.get_bin_path(executable, required=True)


def command(module):
    params = module.params
    cmd = [tool_path(module, params["executable"])] + list(params["global_options"])
    if params["device"] is not None:
        cmd += ["--device", str(params["device"])]
    cmd += ["--json", "apply"]
    if params["path"]:
        cmd += ["--path", params["path"]]
    elif params["device"] is None and params["all"]:
        cmd.append("--all")
    if module.check_mode:
        cmd.append("--dry-run")
    cmd.append(params["src"])
    return cmd


def parse(stdout):
    try:
        document = json.loads(stdout)
    except ValueError:
        return None
    return document if isinstance(document, dict) else None


def main():
    module = AnsibleModule(
        argument_spec=dict(
            src=dict(type="path", required=True),
            all=dict(type="bool", default=True),
            path=dict(type="str"),
            device=dict(type="int"),
            executable=dict(type="str", default="kv7700ctl"),
            global_options=dict(type="list", elements="str", default=[]),
        ),
        mutually_exclusive=[("path", "device")],
        supports_check_mode=True,
    )
    cmd = command(module)
    rc, stdout, stderr = module.run_command(cmd)
    document = parse(stdout)
    sensors = document.get("sensors", []) if document else []
    # A sensor written before another failed was changed all the same.
    written = any(s.get("written") for s in sensors)
    result = dict(cmd=cmd, rc=rc, sensors=sensors, stderr=stderr)
    if rc != 0:
        message = stderr.strip() or "kv7700ctl apply failed with exit status %d" % rc
        module.fail_json(msg=message, changed=written, **result)
    if document is None:
        module.fail_json(msg="kv7700ctl apply printed no JSON document", changed=False, **result)
    module.exit_json(changed=bool(document.get("changed")), **result)


if __name__ == "__main__":
    main()
