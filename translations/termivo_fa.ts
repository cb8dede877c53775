<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fa_IR">
<context>
    <name>CompliancePanel</name>
    <message>
        <source>Hours expected</source>
        <translation>ساعت‌های مورد انتظار</translation>
    </message>
    <message>
        <source>Hours recorded</source>
        <translation>ساعت‌های ثبت‌شده</translation>
    </message>
    <message>
        <source>Completeness</source>
        <translation>کامل بودن داده‌ها</translation>
    </message>
    <message>
        <source>Minimum</source>
        <translation>کمینه</translation>
    </message>
    <message>
        <source>Maximum</source>
        <translation>بیشینه</translation>
    </message>
    <message>
        <source>Mean</source>
        <translation>میانگین</translation>
    </message>
    <message>
        <source>Mean kinetic temperature (MKT)</source>
        <translation>دمای جنبشی میانگین (MKT)</translation>
    </message>
    <message>
        <source>Limits</source>
        <translation>حدود</translation>
    </message>
    <message>
        <source>Hours below the lower limit</source>
        <translation>ساعت‌های زیر حد پایین</translation>
    </message>
    <message>
        <source>Hours above the upper limit</source>
        <translation>ساعت‌های بالای حد بالا</translation>
    </message>
    <message>
        <source> h</source>
        <translation> ساعت</translation>
    </message>
    <message>
        <source>Shortest excursion listed</source>
        <translation>کوتاه‌ترین خروج از حد در فهرست</translation>
    </message>
    <message>
        <source>Excursions (a click shows the first day in the table)</source>
        <translation>خروج از حدها (با کلیک، روز آغاز آن در جدول نشان داده می‌شود)</translation>
    </message>
    <message>
        <source>Side</source>
        <translation>سمت</translation>
    </message>
    <message>
        <source>First hour</source>
        <translation>ساعت آغاز</translation>
    </message>
    <message>
        <source>Last hour</source>
        <translation>ساعت پایان</translation>
    </message>
    <message>
        <source>Hours</source>
        <translation>مدت (ساعت)</translation>
    </message>
    <message>
        <source>Extreme</source>
        <translation>مقدار حدی</translation>
    </message>
    <message>
        <source>Compliance of month %1</source>
        <translation>انطباق با حدود در ماه %1</translation>
    </message>
    <message>
        <source>%1 at %2</source>
        <translation>%1 در %2</translation>
    </message>
    <message>
        <source>none for this channel or month</source>
        <translation>برای این کانال یا این ماه ندارد</translation>
    </message>
    <message>
        <source>the file&apos;s header gives no readable limits</source>
        <translation>سرآیند فایل حدود خوانایی ندارد</translation>
    </message>
    <message>
        <source>from %1 to %2</source>
        <translation>از %1 تا %2</translation>
    </message>
    <message>
        <source>from %1: from %2 to %3</source>
        <translation>از %1: از %2 تا %3</translation>
    </message>
    <message>
        <source>above</source>
        <translation>بالای حد بالا</translation>
    </message>
    <message>
        <source>below</source>
        <translation>زیر حد پایین</translation>
    </message>
</context>
<context>
    <name>TForm1</name>
    <message>
        <source>Compliance</source>
        <translation>انطباق با حدود</translation>
    </message>
</context>
<context>
    <name>Termivo</name>
    <message>
        <source>the address holds a port (&quot;:&quot;), which shifts the fields after it</source>
        <translation>نشانی شماره پورت («:») دارد و فیلدهای پس از خود را جابه‌جا می‌کند</translation>
    </message>
    <message>
        <source>it has fewer than ten fields</source>
        <translation>کمتر از ده فیلد دارد</translation>
    </message>
    <message>
        <source>it has no device ID</source>
        <translation>شناسه دستگاه ندارد</translation>
    </message>
    <message>
        <source>&apos;%1&apos; names no calendar (official or arithmetic); the official one is used</source>
        <translation>«%1» تقویمی را نام نمی‌برد (official یا arithmetic)؛ تقویم رسمی به کار می‌رود</translation>
    </message>
    <message>
        <source>Device line &quot;%1&quot; skipped: %2.</source>
        <translation>سطر دستگاه «%1» کنار گذاشته شد: %2.</translation>
    </message>
    <message>
        <source>&apos;%1&apos; does not give three time-outs</source>
        <translation>«%1» سه زمان انتظار را نمی‌دهد</translation>
    </message>
    <message>
        <source>
(%1 more lines could not be read and were skipped)</source>
        <translation>
(%1 سطر دیگر نیز خوانده نشد و کنار گذاشته شد)</translation>
    </message>
    <message>
        <source>The device search cannot listen on UDP port %1 (%2). Another program may be holding the port: close it and search again.</source>
        <translation>جستجوی دستگاه‌ها نمی‌تواند روی پورت UDP شماره %1 گوش دهد (%2). شاید برنامه دیگری این پورت را در دست دارد: آن را ببندید و دوباره جستجو کنید.</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a valid integer value</source>
        <translation>«%1» عدد صحیح معتبری نیست</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a valid floating point value</source>
        <translation>«%1» عدد اعشاری معتبری نیست</translation>
    </message>
    <message>
        <source>Port open error: COM%1 does not exist</source>
        <translation>خطا در باز کردن پورت: COM%1 وجود ندارد</translation>
    </message>
    <message>
        <source>Port open error: COM%1: %2</source>
        <translation>خطا در باز کردن پورت COM%1: %2</translation>
    </message>
    <message>
        <source>Cannot open file &quot;%1&quot;. %2</source>
        <translation>فایل «%1» باز نمی‌شود. %2</translation>
    </message>
    <message>
        <source>Cannot read file &quot;%1&quot;. %2</source>
        <translation>فایل «%1» خوانده نمی‌شود. %2</translation>
    </message>
    <message>
        <source>Cannot create file &quot;%1&quot;. %2</source>
        <translation>فایل «%1» ساخته نمی‌شود. %2</translation>
    </message>
    <message>
        <source>Cannot write file &quot;%1&quot;. %2</source>
        <translation>فایل «%1» نوشته نمی‌شود. %2</translation>
    </message>
    <message>
        <source>Cannot write file &quot;%1&quot;. The data could not be stored on disk.</source>
        <translation>فایل «%1» نوشته نمی‌شود. داده‌ها روی دیسک ذخیره نشدند.</translation>
    </message>
    <message>
        <source>%1 cannot be changed</source>
        <translation>%1 قابل تغییر نیست</translation>
    </message>
    <message>
        <source>%1 is locked: it changes only with the expert access</source>
        <translation>%1 قفل است و فقط پس از فعال سازی پیکر بندی سیستم تغییر می‌کند</translation>
    </message>
    <message>
        <source>%1 takes a number from %2 to %3</source>
        <translation>مقدار %1 باید عددی از %2 تا %3 باشد</translation>
    </message>
    <message>
        <source>%1 takes a whole number from %2 to %3</source>
        <translation>مقدار %1 باید عدد صحیحی از %2 تا %3 باشد</translation>
    </message>
    <message>
        <source>%1 takes a list position from 0 to %2</source>
        <translation>مقدار %1 باید یکی از گزینه‌های فهرست، از 0 تا %2، باشد</translation>
    </message>
    <message>
        <source>It is not a regular file (a folder, FIFO or device).</source>
        <translation>فایل معمولی نیست (پوشه، FIFO یا دستگاه است).</translation>
    </message>
    <message>
        <source>It is larger than %1 MB, more than any file of the program holds.</source>
        <translation>از %1 مگابایت بزرگ‌تر است، بیش از هر فایلی که برنامه نگه می‌دارد.</translation>
    </message>
    <message>
        <source>&apos;%1&apos;: %2 must be a whole number from %3 to %4</source>
        <translation>«%1»: %2 باید عددی صحیح از %3 تا %4 باشد</translation>
    </message>
    <message>
        <source>a time-out</source>
        <translation>زمان انتظار</translation>
    </message>
    <message>
        <source>the number of attempts</source>
        <translation>تعداد تلاش</translation>
    </message>
    <message>
        <source>the number of devices read at once</source>
        <translation>تعداد دستگاه هایی که هم زمان خوانده می شوند</translation>
    </message>
    <message>
        <source>&apos;%1&apos; lacks the hour and minute</source>
        <translation>«%1» ساعت و دقیقه ندارد</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a valid date</source>
        <translation>«%1» تاریخ معتبری نیست</translation>
    </message>
    <message>
        <source>Empty reply</source>
        <translation>پاسخ خالی است</translation>
    </message>
    <message>
        <source>Unexpected parameter value: %1</source>
        <translation>مقدار پارامتر پیش‌بینی نشده است: %1</translation>
    </message>
    <message>
        <source>The reply is too long</source>
        <translation>پاسخ بیش از اندازه بلند است</translation>
    </message>
    <message>
        <source>The reply is not a JSON object</source>
        <translation>پاسخ یک شیء JSON نیست</translation>
    </message>
    <message>
        <source>The serial port %1 went away: %2</source>
        <translation>پورت سریال %1 از دست رفت: %2</translation>
    </message>
    <message>
        <source>Invalid JSON reply: %1</source>
        <translation>پاسخ JSON نامعتبر است: %1</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is out of range for a date field</source>
        <translation>«%1» برای یک فیلد تاریخ خارج از محدوده است</translation>
    </message>
    <message>
        <source>Invalid address: %1</source>
        <translation>نشانی نامعتبر است: %1</translation>
    </message>
    <message>
        <source>Connect stopped.</source>
        <translation>اتصال متوقف شد.</translation>
    </message>
    <message>
        <source>Connect timed out.</source>
        <translation>مهلت اتصال به پایان رسید.</translation>
    </message>
    <message>
        <source>The printer cannot be opened.</source>
        <translation>چاپگر باز نمی‌شود.</translation>
    </message>
    <message>
        <source>The printer cannot start printing.</source>
        <translation>چاپگر نمی‌تواند چاپ را آغاز کند.</translation>
    </message>
    <message>
        <source>Cannot load the picture &quot;%1&quot;. %2</source>
        <translation>تصویر «%1» بارگذاری نمی‌شود. %2</translation>
    </message>
    <message>
        <source>It ended while it was read.</source>
        <translation>هنگام خواندن به پایان رسید.</translation>
    </message>
    <message>
        <source>No root folder is set.</source>
        <translation>پوشه داده ها تعیین نشده است.</translation>
    </message>
    <message>
        <source>The disk is full.</source>
        <translation>دیسک پر است.</translation>
    </message>
    <message>
        <source>The command was entered in the audit journal &quot;%1&quot; and sent, but the device&apos;s reply could not be entered after it.</source>
        <translation>فرمان در دفتر رویدادها «%1» ثبت و فرستاده شد، اما پاسخ دستگاه پس از آن ثبت نشد.</translation>
    </message>
    <message>
        <source>The audit journal &quot;%1&quot; cannot be read: %2</source>
        <translation>دفتر رویدادها «%1» خوانده نمی‌شود: %2</translation>
    </message>
    <message>
        <source>a line that is not a day line</source>
        <translation>سطری که سطر روز نیست</translation>
    </message>
    <message>
        <source>day %1</source>
        <translation>روز %1</translation>
    </message>
    <message>
        <source>%1: %2 was changed outside the program</source>
        <translation>%1: %2 بیرون از برنامه تغییر کرده است</translation>
    </message>
    <message>
        <source>%1: %2 was removed outside the program</source>
        <translation>%1: %2 بیرون از برنامه حذف شده است</translation>
    </message>
    <message>
        <source>%1: %2 was added outside the program</source>
        <translation>%1: %2 بیرون از برنامه افزوده شده است</translation>
    </message>
    <message>
        <source>%1: remark %2 was changed outside the program</source>
        <translation>%1: توضیح %2 بیرون از برنامه تغییر کرده است</translation>
    </message>
    <message>
        <source>%1: a remark was removed outside the program</source>
        <translation>%1: توضیحی بیرون از برنامه حذف شده است</translation>
    </message>
    <message>
        <source>%1: remark %2 was added outside the program</source>
        <translation>%1: توضیح %2 بیرون از برنامه افزوده شده است</translation>
    </message>
    <message>
        <source>%1: the header is not the one last journalled: journalled &quot;%2&quot;, found &quot;%3&quot;</source>
        <translation>%1: سربرگ همانی نیست که آخرین بار در دفتر رویدادها ثبت شد: ثبت شده «%2»، موجود «%3»</translation>
    </message>
    <message>
        <source>%1: removed: the journal has entries for it but the file does not exist</source>
        <translation>%1: حذف شده: دفتر رویدادها از آن یاد می‌کند اما فایل وجود ندارد</translation>
    </message>
    <message>
        <source>%1: cannot be read: %2</source>
        <translation>%1: خوانده نمی‌شود: %2</translation>
    </message>
    <message>
        <source>%1 line %2: the chain breaks here: a line before it was edited, removed or reordered</source>
        <translation>%1 سطر %2: زنجیره اینجا گسسته است: سطری پیش از آن ویرایش، حذف یا جابه‌جا شده است</translation>
    </message>
    <message>
        <source>%1 line %2: damaged: the line is not a journal entry</source>
        <translation>%1 سطر %2: آسیب دیده: این سطر رویدادی از دفتر نیست</translation>
    </message>
    <message>
        <source>%1 line %2: the last line is cut off</source>
        <translation>%1 سطر %2: سطر آخر ناتمام است</translation>
    </message>
    <message>
        <source>%1: not journalled (made before the journal; &quot;--verify --adopt&quot; takes it as it stands)</source>
        <translation>%1: در دفتر رویدادها ثبت نشده است (پیش از دفتر ساخته شده؛ «--verify --adopt» آن را همان گونه که هست می‌پذیرد)</translation>
    </message>
    <message>
        <source>%1 line %2: damaged, accepted by &quot;--verify --adopt&quot;</source>
        <translation>%1 سطر %2: آسیب دیده، پذیرفته شده با «--verify --adopt»</translation>
    </message>
    <message>
        <source>%1: the days of the last download (journal line %2) are not in the file: its write was cut short</source>
        <translation>%1: روزهای آخرین داده برداری (سطر %2 دفتر) در فایل نیست: نوشتن فایل نیمه کاره ماند</translation>
    </message>
    <message>
        <source>%1 report files and %2 journal lines checked: %3 differences, %4 notes: %5</source>
        <translation>%1 فایل گزارش و %2 سطر دفتر بررسی شد: %3 ناهمخوانی، %4 یادداشت: %5</translation>
    </message>
    <message>
        <source>the records differ from the audit journal</source>
        <translation>داده ها با دفتر رویدادها یکی نیست</translation>
    </message>
    <message>
        <source>the records match the audit journal</source>
        <translation>داده ها با دفتر رویدادها یکی است</translation>
    </message>
</context>
</TS>
