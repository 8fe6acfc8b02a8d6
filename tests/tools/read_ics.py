"""Reads an iCalendar file with the python icalendar package and prints what it found as JSON:
{"prodid": ..., "zones": [TZID...], "events": [{"uid", "summary", "description", "start",
"utc", "all_day", "tzid", "rrule", "triggers", "categories"}...]}. A file it cannot read ends
the script with an error."""
import datetime
import json
import sys

import icalendar


def categories(event):
    found = event.get('CATEGORIES')
    if found is None:
        return []
    found = found if isinstance(found, list) else [found]
    return [str(name) for item in found for name in item.cats]


def read(event):
    start = event.decoded('DTSTART')
    timed = isinstance(start, datetime.datetime)
    return {
        'uid': str(event['UID']),
        'summary': str(event.get('SUMMARY', '')),
        'description': str(event.get('DESCRIPTION', '')),
        'start': start.isoformat(),
        'utc': start.astimezone(datetime.timezone.utc).isoformat() if timed else None,
        'all_day': not timed,
        'tzid': event['DTSTART'].params.get('TZID'),
        'rrule': event['RRULE']['FREQ'][0] if 'RRULE' in event else None,
        'triggers': [alarm.decoded('TRIGGER').total_seconds() for alarm in event.walk('VALARM')],
        'categories': categories(event),
    }


with open(sys.argv[1], 'rb') as source:
    calendar = icalendar.Calendar.from_ical(source.read())
print(json.dumps({
    'prodid': str(calendar['PRODID']),
    'zones': [str(zone['TZID']) for zone in calendar.walk('VTIMEZONE')],
    'events': [read(event) for event in calendar.walk('VEVENT')],
}))
